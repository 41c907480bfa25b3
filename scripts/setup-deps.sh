#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the simulator need,
# only when something is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libqt6svg6 qt6-qpa-plugins libgl-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-videoio-dev
  libbenchmark-dev
  clang-format
  qt6-image-formats-plugins
  fonts-wqy-microhei fonts-dejavu-core
  xvfb xauth x11-utils xserver-xephyr libxkbcommon-x11-0
)
# scripts/fuzz.sh also needs clang and libFuzzer: "setup-deps.sh fuzz".
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
