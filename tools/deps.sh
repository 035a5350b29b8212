#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# With --bench also what the benchmarks compare against.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev qt6-charts-dev qt6-multimedia-dev qt6-svg-dev libqt6opengl6-dev qt6-qpa-plugins
      locales xvfb xauth fonts-liberation imagemagick x11-apps x11-utils openbox
      pulseaudio pulseaudio-utils sox)
# The benchmarks time gpsd's gpsdecode on the same input (tools/deps.sh --bench).
[ "${1:-}" = "--bench" ] && pkgs+=(gpsd-clients)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
