#!/usr/bin/env bash
# Makes the Debian package from the build tree's install and checks it as a packager would:
# lintian without errors or warnings, Depends with the fonts and the Qt libraries, and no
# maintainer scripts (the menu and icon caches are refreshed by the desktop packages' triggers).
#   package.sh BUILD-DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$work/jeerkit_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in fonts-liberation libqt6widgets6 libx11-6 libxtst6; do
    grep -qE "(^|, )$wanted( |,|$)" <<<"$depends" || fail "Depends lacks $wanted: $depends"
done
# Quotes in the description once came out of CPack as list separators.
! dpkg-deb -f "$deb" Description | grep -q ';' || fail "description mangled"
members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '^\./$' | sort | tr '\n' ' ')
[ "$members" = "./control ./md5sums " ] || fail "control members: $members"

lintian --display-info --fail-on error,warning "$deb" || fail "lintian"
echo "$(basename "$deb"), $(stat -c %s "$deb") bytes: lintian clean"
