#!/usr/bin/env bash
# Makes the Wine prefix that every Wine test of a test run shares, or keeps the one there if it
# still works, and leaves a wineserver running for it so that each test's Wine starts quickly.
#
#   tests/e2e/wine-prefix.sh WINE64 PREFIX          make or check; exit 0 when usable
#   tests/e2e/wine-prefix.sh --stop WINE64 PREFIX   end the prefix's wineserver
#
# A fresh prefix takes tens of seconds (wineboot -i); the .NET and browser add-ons are not
# asked for (WINEDLLOVERRIDES). Wine's output goes to PREFIX.log. Needs no display.
set -u
stop=no
if [ "${1:-}" = "--stop" ]; then
    stop=yes
    shift
fi
if [ $# -ne 2 ]; then
    echo "usage: $0 [--stop] WINE64 PREFIX" >&2
    exit 2
fi
wine64=$1
prefix=$2
wineserver="$(dirname "$wine64")/wineserver64"
[ -x "$wineserver" ] || wineserver="$(dirname "$wine64")/wineserver"
export WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
unset DISPLAY
log="$prefix.log"

if [ "$stop" = yes ]; then
    [ -d "$prefix" ] && "$wineserver" -k >>"$log" 2>&1
    exit 0
fi

works() {
    local ok=1
    [ -f "$prefix/.jk-made" ] &&
        timeout 60 "$wine64" cmd.exe /c exit 0 >>"$log" 2>&1 </dev/null && ok=0
    # Wine's desktop process, started by this check without a display, would serve the tests'
    # windows and fail them: end it with its server; the tests start their own.
    "$wineserver" -k >>"$log" 2>&1
    "$wineserver" -w >>"$log" 2>&1
    return $ok
}

# A server of its own, outliving each test (but not an idle machine): Wine started by a test
# would otherwise start one that holds the test's output open.
serve() { "$wineserver" -p300 >>"$log" 2>&1 </dev/null; }
[ -d "$prefix" ] && serve
if works; then
    echo "wine-prefix.sh: reusing $prefix"
    exit 0
fi
echo "wine-prefix.sh: making $prefix"
"$wineserver" -k >/dev/null 2>&1
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
: >"$log"
mkdir "$prefix" && serve
if ! timeout 240 "$wine64" wineboot -i >>"$log" 2>&1 </dev/null; then
    echo "wine-prefix.sh: wineboot failed; log:" >&2
    tail -20 "$log" >&2
    exit 1
fi
touch "$prefix/.jk-made"
if ! works; then
    echo "wine-prefix.sh: the new prefix does not run programs; log:" >&2
    tail -20 "$log" >&2
    exit 1
fi
