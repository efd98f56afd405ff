#!/usr/bin/env bash
# Makes the Debian package from the build tree's install and checks it as a packager would:
# lintian without errors or warnings, Depends with the fonts and the Qt libraries, and no
# maintainer scripts (the menu and icon caches are refreshed by the desktop packages' triggers);
# and the same package from a second run.
#   package.sh BUILD-DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Made twice (a run takes seconds, so the clock has moved on): the same to the byte.
for run in 1 2; do
    mkdir "$work/$run"
    env -u SOURCE_DATE_EPOCH cpack --config "$build/CPackConfig.cmake" -B "$work/$run" \
        >"$work/cpack.log" 2>&1 || fail "cpack: $(cat "$work/cpack.log")"
done
deb=$work/1/jeerkit_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/1")"
cmp "$deb" "$work/2/$(basename "$deb")" || fail "two runs of cpack gave different packages"

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
