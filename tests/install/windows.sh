#!/usr/bin/env bash
# The Windows downloads used as a player uses them, under Wine (the test run's prefix); from
# each, the program types one line into the Win32 stand-in game (e2e_program's gameClasses).
#   windows.sh setup WINE64 E2E-PROGRAM DIR VERSION   DIR/jeerkit-VERSION-setup.exe: silent
#       install for the user, the Start-menu shortcut and the installed-apps entry, a start of
#       the installed program, and the silent uninstall, which leaves no file and no shortcut
#       but keeps the phrase book in the registry
#   windows.sh zip ...   DIR/jeerkit-VERSION-windows-x64.zip unpacked into a folder whose name
#       has a blank and an "ä", started from there
# Run by ctest under tests/e2e/with-x.sh, with the Wine environment.
set -euo pipefail
# (grep -q would stop reading early and fail the pipe: the greps in pipes write to /dev/null.)
mode=$1 wine64=$2 e2e=$3 dist=$4 version=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Shortcuts are not to become menu entries on the desktop of whoever runs the tests.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
wine() { "$wine64" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
listing() { (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort | tr '\n' ' '); }
# The program at $1 (a Unix path), started with its folder as the working folder.
types_a_line() {
    (cd "$(dirname "$1")" && JK_WINE=all JK_WINDOWS_EXE=$1 "$e2e" "gameClasses:Third Dawn only") \
        >"$work/e2e.log" 2>&1 || fail "no line typed from $1: $(cat "$work/e2e.log")"
    grep -qF 'PASS   : TestProgram::gameClasses(Third Dawn only)' "$work/e2e.log" ||
        fail "the typing test did not run: $(cat "$work/e2e.log")"
}

if [ "$mode" = zip ]; then
    folder="$work/Jeerkit für UO"
    mkdir "$folder"
    unzip -q "$dist/jeerkit-$version-windows-x64.zip" -d "$folder"
    [ "$(listing "$folder")" = "LICENSE.txt README.txt jeerkit.exe " ] ||
        fail "the zip holds: $(listing "$folder")"
    # The program names its version as Explorer shows it.
    strings -el -n 1 "$folder/jeerkit.exe" | grep -A1 -xF ProductVersion |
        grep -xF "$version" >/dev/null ||
        fail "jeerkit.exe has no version resource of $version"
    types_a_line "$folder/jeerkit.exe"
    echo "zip unpacked into '$folder' types: OK"
    exit 0
fi

setup=$dist/jeerkit-$version-setup.exe
strings "$setup" | grep -F 'level="asInvoker"' >/dev/null || fail "setup wants an administrator"
windir="$(wine cmd.exe /c echo '%LOCALAPPDATA%')\\Programs\\Jeerkit"
dir=$(wine winepath.exe -u "$windir")
programs="$(wine cmd.exe /c echo '%APPDATA%')\\Microsoft\\Windows\\Start Menu\\Programs"
lnk=$(wine winepath.exe -u "$programs\\Jeerkit.lnk")
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Jeerkit'
# What a failed earlier run may have left in the prefix would hide what this one leaves out.
rm -rf "$dir" "$lnk"
wine reg.exe delete "$key" /f >/dev/null || true
wine "$setup" /S || fail "the silent install failed"
[ "$(listing "$dir")" = "LICENSE.txt README.txt jeerkit.exe uninstall.exe " ] ||
    fail "installed in $dir: $(listing "$dir")"
strings "$lnk" | grep -xF "$windir\\jeerkit.exe" >/dev/null || fail "$lnk is not to jeerkit.exe"

value() { wine reg.exe query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
while read -r name expected; do
    [ "$(value "$key" "$name")" = "$expected" ] || fail "$name is '$(value "$key" "$name")'"
done <<EOF
DisplayName Jeerkit
DisplayVersion $version
DisplayIcon "$windir\jeerkit.exe",0
Publisher The Jeerkit developers
UninstallString "$windir\uninstall.exe"
QuietUninstallString "$windir\uninstall.exe" /S
EOF
size=$(($(value "$key" EstimatedSize)))
[ "$size" -ge $(($(stat -c %s "$dir/jeerkit.exe") / 1024)) ] || fail "EstimatedSize is $size KiB"

types_a_line "$dir/jeerkit.exe"

quiet=$(value "$key" QuietUninstallString)
uninstaller=${quiet#\"}
wine "${uninstaller%%\"*}" "${quiet##*\" }" || fail "the silent uninstall failed"
# It goes on from a copy of itself in the temporary folder; its last step removes the folder.
timeout 60 bash -c 'while [ -e "$1" ]; do sleep 0.1; done' - "$dir" ||
    fail "left in $dir: $(listing "$dir")"
[ ! -e "$lnk" ] || fail "the shortcut is left"
! wine reg.exe query "$key" >/dev/null || fail "the installed-apps entry is left"
[ "$(value 'HKCU\Software\VB and VBA Program Settings\Jeerkit\Settings' WindowSize)" = 1 ] ||
    fail "the phrase book went with the program"
echo "installed, typed from the Start menu's program, uninstalled: OK"
