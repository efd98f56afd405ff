#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks it as a desktop would use it:
# the file list, the menu entry and metadata validators, the manual page, the command line,
# and a start from the menu entry's Exec line that must show the main window.
#   installed.sh BUILD-DIR VERSION      (run under tests/e2e/with-x.sh)
set -euo pipefail
build=$1 version=$2
id=io.github.jeerkit.jeerkit
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/jeerkit
share/applications/$id.desktop
share/doc/jeerkit/README.md
share/doc/jeerkit/changelog.gz
share/doc/jeerkit/copyright
$(for s in 16 32 48 64 128 256; do echo "share/icons/hicolor/${s}x$s/apps/$id.png"; done)
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/jeerkit.1.gz
share/metainfo/$id.metainfo.xml"
diff <(sort <<<"$expected") <(cd "$prefix" && find . -type f -printf '%P\n' | sort) ||
    fail "installed files differ from the list (< expected, > installed)"

# Each icon is the size its folder names.
for png in "$prefix"/share/icons/hicolor/*x*/apps/*.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(identify -format '%wx%h' "$png")" = "$size" ] || fail "$png is not $size"
done

desktop=$prefix/share/applications/$id.desktop
# Not even a hint. Debian 12's validator (desktop-file-utils 0.26) predates version 1.5 of the
# format and its SingleMainWindow key: that one complaint is expected.
out=$(desktop-file-validate "$desktop" 2>&1 | grep -vF 'contains key "SingleMainWindow"' || true)
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli validate"
out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$prefix/share/man/man1/jeerkit.1.gz" 2>&1 >/dev/null)
[ -z "$out" ] || fail "man page: $out"

# One version everywhere it is written.
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "metainfo release is not $version"
zcat "$prefix/share/doc/jeerkit/changelog.gz" | head -1 | grep -qF "jeerkit ($version)" ||
    fail "changelog does not start with $version"
zcat "$prefix/share/man/man1/jeerkit.1.gz" | grep -qF "\"Jeerkit $version\"" ||
    fail "man page is not of $version"

# Command line, without a display: arguments | exit status | stream that must carry the text
# | text it must contain.
exe=$prefix/bin/jeerkit
while IFS='|' read -r args status stream text; do
    set +e
    # shellcheck disable=SC2086 # the arguments are split as a shell would
    env -u DISPLAY "$exe" $args >"$work/out" 2>"$work/err"
    got=$?
    set -e
    other=$([ "$stream" = out ] && echo err || echo out)
    [ "$got" = "$status" ] || fail "jeerkit $args exited $got, not $status"
    grep -qF -- "$text" "$work/$stream" || fail "jeerkit $args: no '$text' on std$stream"
    [ ! -s "$work/$other" ] || fail "jeerkit $args wrote to std$other: $(cat "$work/$other")"
done <<EOF_CASES
--help|0|out|--version
-h|0|out|Usage:
--version|0|out|Jeerkit $version
-v|0|out|Jeerkit $version
--help-all|2|err|Usage:
--bogus|2|err|Unknown option 'bogus'
-display :0|2|err|Usage:
phrases.txt|2|err|phrases.txt
--version extra|2|err|extra
EOF_CASES

# Started the way the menu starts it: the Exec line without field codes, found on PATH.
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ *%[fFuUdDnNickvm]//g')
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
mkdir -p "$work/home"
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config PATH=$prefix/bin:$PATH \
    ASAN_OPTIONS=detect_leaks=0 bash -c "exec $exec_line" >"$work/run.log" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name "^Jeerkit $version" | head -1) ||
    fail "no main window within 60 s: $(cat "$work/run.log")"
xprop -id "$window" WM_CLASS | grep -qF "\"$wm_class\"" || fail "WM_CLASS is not $wm_class"
# The icon reaches the window manager in each size it takes (Qt passes up to 128 px).
icons=$(xprop -id "$window" _NET_WM_ICON)
for s in 16 32 48 64 128; do
    grep -qF "Icon ($s x $s)" <<<"$icons" || fail "the window has no ${s}px icon"
done
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" = 0 ] || fail "jeerkit ended with $status: $(cat "$work/run.log")"
[ -f "$work/home/.config/Jeerkit/Jeerkit.ini" ] || fail "the store was not written"
echo "installed tree, menu entry and command line: OK"
