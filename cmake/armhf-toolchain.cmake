# Building for the board: 32-bit ARM, hard float, NEON, against a Debian armhf
# sysroot (scripts/build-board.sh makes it). NORVIK7_SYSROOT names the sysroot;
# Qt's build tools come from the desktop (QT_HOST_PATH); what the build runs
# (picture generators, test suites) runs under qemu-arm-static.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

if(NOT NORVIK7_SYSROOT)
  set(NORVIK7_SYSROOT "$ENV{NORVIK7_SYSROOT}")
endif()
if(NOT NORVIK7_SYSROOT)
  set(NORVIK7_SYSROOT "$ENV{HOME}/.cache/norvik7/sysroot-armhf")
endif()
# Seen again in try_compile projects.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES NORVIK7_SYSROOT)

set(CMAKE_SYSROOT ${NORVIK7_SYSROOT})
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# The board's processor: ARMv7-A with VFPv4 and NEON (Debian's armhf baseline
# has no NEON; the board does). Everything on the board is built by GCC 12, so
# GCC's note that GCC 7.1 changed how some arguments are passed is left out.
set(CMAKE_C_FLAGS_INIT "-march=armv7-a -mfpu=neon-vfpv4 -mfloat-abi=hard")
set(CMAKE_CXX_FLAGS_INIT "-march=armv7-a -mfpu=neon-vfpv4 -mfloat-abi=hard -Wno-psabi")

set(CMAKE_FIND_ROOT_PATH ${NORVIK7_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt's host tools from the desktop packages.
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr)
endif()
if(NOT QT_HOST_PATH_CMAKE_DIR)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# The sysroot's loader and libraries; the library folders named because the
# sysroot was unpacked, not installed (no loader cache).
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm-static -L ${NORVIK7_SYSROOT}
  -E LD_LIBRARY_PATH=/usr/lib/arm-linux-gnueabihf:/lib/arm-linux-gnueabihf)
# Where Qt looks for its *Tools packages (LinguistTools among them) on the desktop.
set(Qt6HostInfo_DIR ${QT_HOST_PATH_CMAKE_DIR}/Qt6HostInfo CACHE PATH "")
