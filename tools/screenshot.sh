#!/usr/bin/env bash
# Starts the program under Xvfb, waits until it is ready, and saves a screenshot.
#   tools/screenshot.sh out.png [program arguments...]
set -euo pipefail
out=${1:-screenshot.png}
shift || true
here=$(cd "$(dirname "$0")/.." && pwd)
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$0" --ready "${@:2}" > /tmp/kavu-shot.log 2>&1 &
  pid=$!
  for i in $(seq 100); do grep -q ready /tmp/kavu-shot.log 2>/dev/null && break; sleep 0.1; done
  sleep ${KAVU_SHOT_DELAY:-1}
  import -window root "$1"
  kill $pid' "$here/build/kavu-analyser" "$out" "$@"
echo "saved $out"
