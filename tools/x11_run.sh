#!/usr/bin/env bash
# Runs a program on a private X server: Xvfb on a free display (1280x1024),
# managed by openbox, the program on Qt's xcb platform. Both are stopped when
# the program ends; its exit status is this script's.
#   tools/x11_run.sh PROGRAM [ARGS...]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: x11_run.sh PROGRAM [ARGS...]" >&2; exit 2; }
for tool in Xvfb openbox xprop; do
  command -v "$tool" >/dev/null || { echo "x11_run.sh: $tool is not installed (tools/deps.sh)" >&2; exit 1; }
done
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
chmod 700 "$dir"
xvfb=""
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
[ -s "$dir/display" ] || { echo "x11_run.sh: Xvfb did not start:" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$dir/display")"

# openbox with its default configuration; it keeps its files out of the home folder.
XDG_CONFIG_HOME="$dir" XDG_CACHE_HOME="$dir" XDG_DATA_HOME="$dir" \
  openbox --sm-disable >"$dir/openbox.log" 2>&1 &
wm=$!
# The window manager is up once it names itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  kill -0 "$wm" 2>/dev/null || break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
  { echo "x11_run.sh: openbox did not start:" >&2; cat "$dir/openbox.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$dir"
# Qt's xcb platform leaves a few blocks of libdbus behind at exit.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
set +e
"$@"
rc=$?
set -e
exit $rc
