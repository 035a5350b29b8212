#!/usr/bin/env bash
# The session benchmark as the user runs the program: on an X server (Xvfb,
# started here) through xcb, with the test audio server for the Loran sound
# window, reporting the CPU of the X server beside the program's.
#   bench/session_x.sh BUILD_DIR [benchmark flags...]
# KAVU_SESSION_SECONDS sets the length of a run (default 60 s); the default
# flags run each case three times and report the medians. The replayed log is a
# 30-minute one the simulator makes here for the run (longer than a run at 500
# lines/s), unless KAVU_SESSION_LOG names one. KAVU_SESSION_RSS_EVERY=N prints
# the resident size every N seconds. KAVU_BENCH_WRAPPER runs the benchmark
# under a profiler, e.g. "perf record -g -o /tmp/p.data --".
set -euo pipefail
build=${1:?usage: session_x.sh BUILD_DIR [benchmark flags...]}
shift
build=$(cd "$build" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
command -v Xvfb >/dev/null || { echo "session_x.sh: Xvfb is not installed (tools/deps.sh)" >&2; exit 1; }

work=$(mktemp -d /tmp/kavu-session-XXXXXX)
chmod 700 "$work"
xpid=""
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
  "$here/tools/pulse_start.sh" "$work/pulse" stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# A screen with room for every window side by side. A free display: Xvfb writes the number it took to the descriptor it is given.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 3840x2160x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xpid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "session_x.sh: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export KAVU_XSERVER_PID=$xpid

eval "export $("$here/tools/pulse_start.sh" "$work/pulse")"
export XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=xcb

# The log replayed: thirty minutes of the simulated receiver (about 43000
# lines, 86 s at 500 lines/s), made once for this run and removed with it.
if [ -z "${KAVU_SESSION_LOG:-}" ]; then
  [ -x "$build/tools/kavu-sim" ] || { echo "session_x.sh: $build/tools/kavu-sim is not built" >&2; exit 1; }
  "$build/tools/kavu-sim" --seed 1 --duration 1800 -o "$work/session-30min.log"
  export KAVU_SESSION_LOG=$work/session-30min.log
fi
export KAVU_SESSION_SECONDS=${KAVU_SESSION_SECONDS:-60}

flags=("$@")
[ ${#flags[@]} -eq 0 ] && flags=(--benchmark_repetitions=3 --benchmark_display_aggregates_only=true)
${KAVU_BENCH_WRAPPER:-} "$build/bench/kavu_gui_bench" --benchmark_filter='EveryWindowReplay' "${flags[@]}"
