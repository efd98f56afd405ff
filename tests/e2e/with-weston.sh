#!/usr/bin/env bash
# Runs a command on XWayland: weston with its X11 backend inside the current X display (the
# outer one, from with-x.sh --no-wm), XWayland started by weston.
#
#   tests/e2e/with-weston.sh CMD [ARGS...]
#
# Environment given to CMD: DISPLAY, the XWayland display; JK_OUTER_DISPLAY, the outer one, where
# a click reaches weston's own seat (weston does not let X clients move the focus). Exit code:
# CMD's, 125 if weston or XWayland could not be started.
set -u
[ $# -gt 0 ] || { echo "usage: $0 CMD [ARGS...]" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] || { echo "with-weston: no outer X display" >&2; exit 125; }
outer=$DISPLAY
work=$(mktemp -d "${TMPDIR:-/tmp}/jk-weston.XXXXXX") || exit 125
chmod 700 "$work"
weston_pid=""
cleanup() {
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export XDG_RUNTIME_DIR=$work
weston --backend=x11-backend.so --xwayland --socket=wayland-jk --width=1024 --height=768 \
    --no-config >"$work/weston.log" 2>&1 &
weston_pid=$!
# weston names XWayland's display in its log once it has made the sockets.
display=""
for _ in $(seq 1 100); do
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" |
        head -n 1)
    [ -n "$display" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
# XWayland starts on its first client.
for _ in $(seq 1 100); do
    [ -n "$display" ] && xdpyinfo -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
done
if [ -z "$display" ] || ! xdpyinfo -display "$display" >/dev/null 2>&1; then
    echo "with-weston: weston or XWayland did not start; its log:" >&2
    cat "$work/weston.log" >&2
    exit 125
fi
DISPLAY=$display JK_OUTER_DISPLAY=$outer "$@"
