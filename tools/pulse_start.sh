#!/usr/bin/env bash
# Starts a private PulseAudio server with one null sink ("test_sink", 48 kHz
# stereo) for the audio tests: no sound card, no D-Bus, anonymous access on a
# socket in the given directory. Prints the PULSE_SERVER value the clients need.
#   tools/pulse_start.sh DIR      start (a server left over in DIR is stopped first)
#   tools/pulse_start.sh DIR stop stop it again
set -euo pipefail
dir=${1:?usage: pulse_start.sh DIR [stop]}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
chmod 700 "$dir"
socket=$dir/native

stop() {
  XDG_RUNTIME_DIR=$dir HOME=$dir pulseaudio --kill >/dev/null 2>&1 || true
  for _ in $(seq 50); do
    XDG_RUNTIME_DIR=$dir HOME=$dir pulseaudio --check >/dev/null 2>&1 || break
    sleep 0.1
  done
  rm -f "$socket"
}

if [ "${2:-}" = stop ]; then
  stop
  exit 0
fi

# A unix socket path may hold 107 characters.
if [ ${#socket} -gt 100 ]; then
  echo "pulse_start.sh: socket path too long: $socket" >&2
  exit 1
fi
command -v pulseaudio >/dev/null || { echo "pulse_start.sh: pulseaudio is not installed (tools/deps.sh)" >&2; exit 1; }

stop
XDG_RUNTIME_DIR=$dir HOME=$dir pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit=yes -n \
  --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
  --load="module-null-sink sink_name=test_sink rate=48000 channels=2 sink_properties=device.description=TestNullSink" \
  --load="module-always-sink" --log-target="file:$dir/pulse.log" </dev/null >/dev/null 2>&1

export PULSE_SERVER=unix:$socket
for _ in $(seq 50); do
  if pactl info >/dev/null 2>&1; then
    echo "PULSE_SERVER=$PULSE_SERVER"
    exit 0
  fi
  sleep 0.1
done
echo "pulse_start.sh: the server did not answer; its log:" >&2
cat "$dir/pulse.log" >&2 || true
exit 1
