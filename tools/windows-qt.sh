#!/usr/bin/env bash
# Builds a static Qt for Windows (mingw-w64) from Debian's own qt6-base source package, once,
# into a cache folder outside the source tree that every clone shares. Prints the folder.
#   tools/windows-qt.sh          build the cache if it is missing, print its folder
#   tools/windows-qt.sh --check  print the folder if the cache is there, fail otherwise
# Nothing is downloaded but Debian packages. The host's moc, rcc and uic must be the same Qt
# version, so the source package is the one of the installed qt6-base-dev. The build runs at
# nice level JEERKIT_QT_NICE (10) with JEERKIT_QT_JOBS jobs (one per core), so that it leaves
# a shared machine usable.
set -euo pipefail

host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) || {
    echo "windows-qt: qt6-base-dev is not installed (tools/dev installs it)" >&2
    exit 1
}
upstream=${host_version%%+*}
upstream=${upstream%%-*}

# The toolchain and the configure settings. The cache folder's name carries a hash of both, so
# that a changed setting always builds a new cache instead of reusing an old one.
toolchain_text='set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)'

# Only what Jeerkit links (Core, Gui, Widgets, Network, Test) and the Windows platform plugin;
# every third-party library is Qt's bundled copy, so nothing from the host leaks in. The
# Direct2D plugin, JPEG and GIF are left out to shorten the build; DirectWrite 3 goes with
# Direct2D, since Qt builds its font database only beside that plugin while the Windows plugin
# would still name it.
settings=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
)
for f in zlib pcre2 png jpeg freetype harfbuzz doubleconversion libb2 md4c sqlite textmarkdownreader; do
    settings+=("-DFEATURE_system_$f=OFF")
done
settings+=(
    -DFEATURE_tabletevent=OFF
    -DFEATURE_opengl=ON -DFEATURE_opengl_dynamic=ON
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF -DFEATURE_freetype=ON -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    -DFEATURE_ssl=OFF -DFEATURE_schannel=OFF -DFEATURE_tuiotouch=OFF
)
mingw_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none)
hash=$(printf '%s\n' "$host_version" "$mingw_version" "$toolchain_text" "${settings[@]}" |
    sha256sum | cut -c1-12)
base=${JEERKIT_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/jeerkit}
prefix=$base/qt6-mingw-$upstream-$hash
stamp=$prefix/.complete

if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi
[ "${1:-}" = "--check" ] && exit 1

mkdir -p "$base"
# One build at a time, whichever clone or command asked for it; the others wait for it.
exec 9>"$base/.qt6-mingw.lock"
if ! flock -n 9; then
    echo "windows-qt: another build of the Windows Qt is running; waiting for it" >&2
    flock 9
fi
if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
work=$prefix.work
mkdir -p "$work"
log=$work/build.log
echo "windows-qt: building Qt $upstream for mingw-w64 into $prefix (about 20 minutes on 2 cores; log: $log)" >&2

# Debian's source packages come from the archive the machine already uses: its own deb entries
# for this release, repeated as deb-src.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    entries=$(tools/deb-src-entries.sh "$codename")
    if [ -z "$entries" ]; then
        echo "windows-qt: no apt source for '$codename' to take source packages from" >&2
        exit 1
    fi
    echo "windows-qt: adding the source side of the machine's own archive to apt" >&2
    printf '%s\n' "$entries" | $sudo tee /etc/apt/sources.list.d/jeerkit-debian-src.sources >/dev/null
    $sudo apt-get update -q >&2
fi

src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' -print -quit)
if [ -z "$src" ] || [ ! -f "$src/.unpacked" ]; then
    rm -rf "$work"/qt6-base[-_]*
    (cd "$work" && apt-get source -q "qt6-base=$host_version") >&2 || {
        $sudo apt-get update -q >&2
        (cd "$work" && apt-get source -q "qt6-base=$host_version") >&2
    }
    src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' -print -quit)
    [ -n "$src" ] || { echo "windows-qt: apt-get source unpacked nothing into $work" >&2; exit 1; }
    touch "$src/.unpacked"
fi

# The toolchain lives in the cache, beside the Qt that records its path.
mkdir -p "$prefix"
toolchain=$prefix/mingw-w64-x86_64.cmake
printf '%s\n' "$toolchain_text" >"$toolchain"

build=$work/build
start=$(date +%s)
{
    # Host pkg-config must not hand Linux libraries to the Windows build.
    PKG_CONFIG_LIBDIR=/nonexistent cmake -S "$src" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        "${settings[@]}" &&
    nice -n "${JEERKIT_QT_NICE:-10}" cmake --build "$build" -j "${JEERKIT_QT_JOBS:-$(nproc 2>/dev/null || echo 2)}" &&
    cmake --install "$build"
} >"$log" 2>&1 || {
    echo "windows-qt: the build failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
}
echo "windows-qt: built in $(($(date +%s) - start)) s" | tee -a "$log" >&2
mv "$log" "$prefix/build.log"
rm -rf "$work"
touch "$stamp"
echo "$prefix"
