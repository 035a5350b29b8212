#!/usr/bin/env bash
# Makes samples/kavu-sim-10min.log again: ten minutes of the simulated receiver
# with the fixed seed 1 and the default start (2007-08-09 12:00:00 UTC).
# The tools tests compare the file with the simulator's output, so run this
# after every deliberate change of the simulator and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target kavu-sim
mkdir -p samples
build/tools/kavu-sim --seed 1 --duration 600 --output samples/kavu-sim-10min.log
ls -l samples/kavu-sim-10min.log
