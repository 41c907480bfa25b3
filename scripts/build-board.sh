#!/usr/bin/env bash
# Builds the program for the board's processor (32-bit ARM, hard float, NEON)
# into ./build-board (or $BOARD_BUILD_DIR), runs the suites on that build under
# emulation, and packs the board program as a Debian package (armhf).
#
#   scripts/build-board.sh [--no-tests] [--test-timeout S] [ctest arguments...]
# (--test-timeout: each suite's limit, 3000 s by default under emulation)
#
# The board's libraries come from Debian's armhf packages, unpacked once into a
# sysroot kept between runs ($NORVIK7_SYSROOT, default ~/.cache/norvik7/sysroot-armhf;
# remade when the package list below changes). Qt's build tools (moc, uic, rcc,
# lrelease) are the desktop's own; the build's picture generators and the test
# suites run under qemu-arm-static. Times of each step are printed at the end.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BOARD_BUILD_DIR:-$here/build-board}"
sysroot="${NORVIK7_SYSROOT:-$HOME/.cache/norvik7/sysroot-armhf}"
suite="${NORVIK7_BOARD_SUITE:-bookworm}"
mirror="${NORVIK7_BOARD_MIRROR:-http://deb.debian.org/debian}"
run_tests=1
test_timeout=""
ctest_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-tests) run_tests=0 ;;
    --test-timeout) test_timeout="$2"; shift ;;
    *) ctest_args+=("$1") ;;
  esac
  shift
done

# The desktop's tools for building for the board, installed only when missing.
host_packages=(mmdebstrap qemu-user-static g++-arm-linux-gnueabihf gcc-arm-linux-gnueabihf
  cmake ninja-build qt6-base-dev-tools qt6-tools-dev-tools qt6-l10n-tools qt6-base-dev qt6-tools-dev dpkg-dev)
missing=()
for p in "${host_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# What the board build links against and what its suites need at run time.
board_packages=(libc6-dev libstdc++-12-dev
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-image-formats-plugins libgl-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-videoio-dev
  fonts-wqy-microhei fonts-dejavu-core)

times=()
stamp() { date +%s; }

# The sysroot: the packages and their dependencies unpacked (no maintainer
# scripts run, nothing of the board's is executed to make it).
want="$suite ${board_packages[*]}"
if [ ! -f "$sysroot/.norvik7-packages" ] || [ "$(cat "$sysroot/.norvik7-packages")" != "$want" ]; then
  t0=$(stamp)
  echo "Making the board sysroot in $sysroot"
  rm -rf "$sysroot.new"
  mkdir -p "$(dirname "$sysroot")"
  include="$(IFS=,; echo "${board_packages[*]}")"
  mmdebstrap --quiet --architectures=armhf --variant=extract --include="$include" \
    "$suite" "$sysroot.new" \
    "deb $mirror $suite main" "deb $mirror $suite-updates main" \
    "deb http://deb.debian.org/debian-security $suite-security main"
  # Absolute links inside the sysroot point into the desktop: made relative.
  (cd "$sysroot.new" && find . -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
    target="$(readlink "$link")"
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" ".$target")" "$link"
  done)
  echo "$want" >"$sysroot.new/.norvik7-packages"
  rm -rf "$sysroot"
  mv "$sysroot.new" "$sysroot"
  times+=("sysroot made: $(( $(stamp) - t0 )) s")
else
  times+=("sysroot kept from an earlier run: 0 s")
fi
# What installing would have done and matters to linking and loading: the
# BLAS and LAPACK that OpenCV's libraries need are chosen by alternatives
# links, which unpacking does not make.
for f in "$sysroot"/usr/lib/arm-linux-gnueabihf/{blas,lapack}/lib*.so.*; do
  [ -e "$f" ] || continue
  link="$sysroot/usr/lib/arm-linux-gnueabihf/$(basename "$f")"
  [ -e "$link" ] || ln -s "$(basename "$(dirname "$f")")/$(basename "$f")" "$link"
done
[ "${NORVIK7_SYSROOT_ONLY:-0}" = 1 ] && { printf '%s\n' "${times[@]}"; exit 0; }

# The build: Qt's tools from the desktop, the generators and suites under qemu.
t0=$(stamp)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/armhf-toolchain.cmake" -DNORVIK7_SYSROOT="$sysroot" \
  ${test_timeout:+-DNORVIK7_TEST_TIMEOUT=$test_timeout} -DQT_HOST_PATH=/usr -DCMAKE_INSTALL_PREFIX=/usr -DNORVIK7_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
  ${CMAKE_C_COMPILER_LAUNCHER:+-DCMAKE_C_COMPILER_LAUNCHER=$CMAKE_C_COMPILER_LAUNCHER} >/dev/null
nice cmake --build "$build" --parallel "$(nproc)"
times+=("build: $(( $(stamp) - t0 )) s")

# The board program as a Debian package.
t0=$(stamp)
(cd "$build" && cpack -G DEB >/dev/null)
times+=("package: $(( $(stamp) - t0 )) s ($(cd "$build" && ls -1 norvik7_*_armhf.deb))")

# The suites on the ARM build, each under qemu (offscreen), niced.
status=0
if [ "$run_tests" = 1 ]; then
  t0=$(stamp)
  (cd "$build" && nice ctest --output-on-failure --parallel "$(nproc)" "${ctest_args[@]}") || status=$?
  times+=("emulated suite: $(( $(stamp) - t0 )) s")
fi
printf '%s\n' "${times[@]}"
exit "$status"
