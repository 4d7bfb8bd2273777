# Debian packages, one per install component (see cmake/install.cmake):
#   libktr4-1    runtime library libktr4.so.1
#   libktr4-dev  headers, CMake package, pkg-config, simulated card driver, ktr4-plot, demo
#   tessa        serial test terminal and the simulated serial device
# `cpack -G DEB` makes them from any build tree (scripts/check_packages.sh uses the test
# build): they install under /usr whatever CMAKE_INSTALL_PREFIX is.
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_CONTACT "Orvane automation toolkit <toolkit@orvane.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
if(TARGET tessa)
  list(APPEND CPACK_COMPONENTS_ALL tessa)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libktr4-dev's programs link libktr4.so.1 from the package beside it, not from the system.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# shlibs for libktr4.so.1, and the ldconfig trigger for both packages holding libraries.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/linux/triggers)
set(CPACK_DEBIAN_DEV_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/linux/triggers)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libktr4-1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "function library of the KTR4 motion-control card
ktr4 is the C function library of the KTR4 four-axis pulse-train
motion-control card. It computes every register value itself and reaches the
card through a driver library: by default the simulated card of libktr4-dev,
installed beside it; the environment variable KTR4IO_LIBRARY names another.")
# Without a driver KTR4_initial fails (900); the simulated one comes with libktr4-dev.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SUGGESTS libktr4-dev)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libktr4-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libktr4-1 (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEV_DESCRIPTION "KTR4 motion-control card library - development files
Headers ktr4.h and ktr4io.h, the CMake package (find_package(ktr4) with the
targets ktr4::ktr4 and ktr4::sim), pkg-config files, and the simulated card
driver libktr4sim.so with its control header ktr4sim.h, which ktr4 loads by
default so that machine programs run with no card installed. Also the tools
ktr4-plot (moves on the simulated card as CSV and SVG) and ktr4_demo.")

set(CPACK_DEBIAN_TESSA_PACKAGE_NAME tessa)
set(CPACK_DEBIAN_TESSA_PACKAGE_SECTION comm)
# The xcb platform plugin is only recommended by Qt's own packages; the window needs it.
set(CPACK_DEBIAN_TESSA_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_COMPONENT_TESSA_DESCRIPTION "test terminal for devices on a serial line
tessa is a desktop terminal for testing devices on a serial port: type
commands and see every byte that comes back as characters and hexadecimal
text, send Modbus RTU requests, command lines, jog frames and program files,
replay numbered send/delay programs and find the port where a device answers.
The package also holds tessa-device, a simulated serial device that answers
on a pseudo-terminal or a port.")

include(${CMAKE_CURRENT_LIST_DIR}/python_package.cmake)

# Every package carries its copyright and changelog, as Debian policy asks.
set(orvane_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${orvane_changelog}
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${ORVANE_PACKAGING_DIR}/changelog ${orvane_changelog}
  DEPENDS ${ORVANE_PACKAGING_DIR}/changelog VERBATIM)
add_custom_target(orvane_changelog ALL DEPENDS ${orvane_changelog})
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} upper)
  install(FILES ${ORVANE_PACKAGING_DIR}/copyright ${orvane_changelog}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME} COMPONENT ${component})
endforeach()

include(CPack)
