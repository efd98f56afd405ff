#!/usr/bin/env bash
# Runs a command on a throw-away X server of its own, with a window manager.
#
#   tests/e2e/with-x.sh [--no-wm] CMD [ARGS...]
#
# Starts `Xvfb :N -screen 0 1280x1024x24 -noreset -nolisten tcp` on a free display number,
# waits until it answers, starts openbox (own minimal configuration, no autostart) unless
# --no-wm is given, waits until the window manager has taken the screen, then runs CMD with
# DISPLAY=:N. Xvfb and openbox are stopped when the script ends, however it ends. The exit code
# is CMD's (125 if the X server or window manager could not be started).
#
# Environment given to CMD (QT_QPA_PLATFORM, QT_SCALE_FACTOR, WAYLAND_DISPLAY, LC_ALL and the
# like removed, LANG=C.UTF-8):
#   DISPLAY          the throw-away display
#   JK_WITH_X_WM     "openbox" or "none"
#   JK_WITH_X_WM_PID the window manager's process id (tests that kill it)
#   JK_WITH_X_SERVER_PID  Xvfb's process id (a test that kills it)
# Environment read:
#   JK_XVFB_ARGS     extra Xvfb arguments, e.g. "-extension XTEST"
#
# Needs: Xvfb, xdpyinfo, xprop, openbox (Debian: xvfb, x11-utils, openbox).
set -u

wm=openbox
if [ "${1:-}" = "--no-wm" ]; then
    wm=none
    shift
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [--no-wm] CMD [ARGS...]" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/jk-with-x.XXXXXX") || exit 125
xvfb_pid=""
wm_pid=""
watch_pid=""
cleanup() {
    [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null
    for pid in $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
    done
    for pid in $wm_pid $xvfb_pid; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

answers() { xdpyinfo -display ":$1" >/dev/null 2>&1; }

# Display numbers from a random start, so that parallel runs rarely meet; a number whose socket
# or lock file exists is taken, and a server that loses the race for its number exits and the
# next number is tried.
start_xvfb() {
    local n tries
    n=$((100 + RANDOM % 800))
    for tries in $(seq 1 40); do
        n=$((n + 1))
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then
            continue
        fi
        # shellcheck disable=SC2086
        Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp ${JK_XVFB_ARGS:-} \
            >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        local waited
        for waited in $(seq 1 100); do
            if answers "$n"; then
                display_number=$n
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    echo "with-x.sh: could not start Xvfb; last log:" >&2
    cat "$work/xvfb.log" >&2
    return 1
}

start_openbox() {
    mkdir -p "$work/config/openbox"
    cat >"$work/config/openbox/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus>
    <focusNew>yes</focusNew>
    <followMouse>no</followMouse>
  </focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
</openbox_config>
XML
    DISPLAY=":$display_number" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config" \
        openbox --config-file "$work/config/openbox/rc.xml" >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    local waited
    for waited in $(seq 1 100); do
        if xprop -display ":$display_number" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null |
            grep -q 'window id'; then
            return 0
        fi
        kill -0 "$wm_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "with-x.sh: openbox did not start; log:" >&2
    cat "$work/openbox.log" >&2
    return 1
}

# Should this script be killed outright (a test runner's timeout), the servers still go.
watch_parent() {
    local parent=$1
    while kill -0 "$parent" 2>/dev/null; do
        sleep 1
    done
    for pid in $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null
    done
    sleep 1
    rm -rf "$work"
}

display_number=""
start_xvfb || exit 125
if [ "$wm" = openbox ]; then
    start_openbox || exit 125
fi

watch_parent $$ </dev/null >/dev/null 2>&1 &
watch_pid=$!

# Nothing of the desktop this runs from leaks in: its Qt platform and scale, its Wayland
# session, its language.
env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS -u QT_FONT_DPI \
    -u WAYLAND_DISPLAY -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 \
    DISPLAY=":$display_number" JK_WITH_X_WM="$wm" JK_WITH_X_WM_PID="$wm_pid" \
    JK_WITH_X_SERVER_PID="$xvfb_pid" "$@"
status=$?
exit "$status"
