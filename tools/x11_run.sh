#!/usr/bin/env bash
# Runs a program on a private X server: Xvfb on a free display (1280x1024),
# managed by openbox, the program on Qt's xcb platform. Both are stopped when
# the program ends; its exit status is this script's.
#   tools/x11_run.sh PROGRAM [ARGS...]
# The server is used only once a client has reached it and the window manager
# has named itself on it. A start that falls short of that (a server that
# announces its display and then dies, a window manager that cannot open the
# display) is reported with the logs and tried again on a fresh server, up to
# three times.
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
stop_x() {
  local pid
  for pid in "$wm" "$xvfb"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  wm=""
  xvfb=""
}
cleanup() {
  stop_x
  rm -rf "$dir"
}
trap cleanup EXIT

# Waits up to 10 s for a check to pass while the process named stays alive.
wait_for() {
  local pid=$1
  shift
  for _ in $(seq 100); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  "$@"
}
display_named() { [ -s "$dir/display" ]; }
server_reached() { xprop -root -display "$DISPLAY" >/dev/null 2>&1; }
wm_named() { xprop -root -display "$DISPLAY" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

# One start: the server, a client on it, the window manager. Leaves what failed in $why.
start_x() {
  # Emptied here, not by the server's redirection, which may come after the first look.
  : >"$dir/display"
  # Xvfb picks a free display and writes its number once it accepts clients;
  # -noreset keeps it as it is when a probe disconnects.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
  xvfb=$!
  wait_for "$xvfb" display_named || { why="Xvfb did not name a display"; return 1; }
  export DISPLAY=":$(head -n 1 "$dir/display")"
  wait_for "$xvfb" server_reached || { why="no client could reach Xvfb on $DISPLAY"; return 1; }

  # openbox with its default configuration; it keeps its files out of the home folder.
  XDG_CONFIG_HOME="$dir" XDG_CACHE_HOME="$dir" XDG_DATA_HOME="$dir" \
    openbox --sm-disable >"$dir/openbox.log" 2>&1 &
  wm=$!
  # The window manager is up once it names itself on the root window.
  wait_for "$wm" wm_named || { why="openbox did not start on $DISPLAY"; return 1; }
}

for attempt in 1 2 3; do
  why=""
  start_x && break
  {
    echo "x11_run.sh: attempt $attempt: $why"
    echo "-- Xvfb:"; cat "$dir/xvfb.log"
    if [ -s "$dir/openbox.log" ]; then echo "-- openbox:"; cat "$dir/openbox.log"; fi
  } >&2
  stop_x
  rm -f "$dir/openbox.log"
  [ "$attempt" -lt 3 ] || { echo "x11_run.sh: no X server could be started" >&2; exit 1; }
done

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$dir"
# Qt's xcb platform leaves a few blocks of libdbus behind at exit.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
set +e
"$@"
rc=$?
set -e
exit $rc
