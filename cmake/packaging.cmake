# Installing the program and packing it as a Debian package (cpack -G DEB):
# the program in bin/, its video decoder library in <libdir>/norvik7.
include(GNUInstallDirs)
install(TARGETS norvik7 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_PACKAGE_NAME norvik7)
set(CPACK_PACKAGE_VENDOR "Norvik7")
set(CPACK_PACKAGE_CONTACT "Norvik7 developers <dev@norvik7.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Norvik7 thermal camera application")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The board gets the program without its debugging information.
set(CPACK_STRIP_FILES TRUE)
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR MATCHES "^arm")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
endif()
# The sysroot is unpacked, not installed, so dpkg-shlibdeps cannot work the
# dependencies out: named here. Without OpenCV's video reading the program
# runs and its player says that videos cannot be played.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6, libstdc++6, libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6svg6, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libopencv-videoio406, libopencv-imgproc406")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
include(CPack)
