# Debian packages, one per install component (see cmake/install.cmake):
#   libktr4-1    runtime library libktr4.so.1
#   libktr4sim1  the simulated card driver, so that a program runs with no card and no -dev
#   libktr4-dev  headers, CMake package, pkg-config, examples
#   ktr4-tools   ktr4-plot, ktr4-scope, ktr4_demo
#   tessa        serial test terminal and the simulated serial device
# `cpack -G DEB` makes them from any build tree (scripts/check_packages.sh uses the test
# build): they install under /usr whatever CMAKE_INSTALL_PREFIX is. A further package is an
# install component, its name in CPACK_COMPONENTS_ALL and a block of settings below.
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_CONTACT "Orvane automation toolkit <toolkit@orvane.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime sim dev tools path pathdev)
if(TARGET tessa)
  list(APPEND CPACK_COMPONENTS_ALL tessa)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Programs link libktr4.so.1 and libktr4sim.so from the packages beside them, not from the system.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# shlibs for the libraries, and the ldconfig trigger for both packages holding them.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(orvane_exact "(= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libktr4-1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${ORVANE_PACKAGING_DIR}/triggers)
# Without a driver KTR4_initial fails (900): the simulated card is the driver a program runs
# with until a card's own driver is installed and named in KTR4IO_LIBRARY.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "libktr4sim1")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SUGGESTS "ktr4-tools")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "function library of the KTR4 motion-control card
ktr4 is the C function library of the KTR4 four-axis pulse-train
motion-control card. It computes every register value itself and reaches the
card through a driver library: by default the simulated card of libktr4sim1,
installed beside it; the environment variable KTR4IO_LIBRARY names another.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME libktr4sim1)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_SIM_PACKAGE_CONTROL_EXTRA ${ORVANE_PACKAGING_DIR}/triggers)
set(CPACK_COMPONENT_SIM_DESCRIPTION "simulated KTR4 motion-control card
libktr4sim.so is a driver library for ktr4 that simulates the KTR4 card:
it runs the moves the library starts on it (position and velocity moves,
interpolation, arcs, homing, pulser motion, interrupts), so that machine
programs run with no card installed. ktr4 loads it by default. With
KTR4SIM_RECORD=<file> it records the run for ktr4-plot; with KTR4SIM_SCOPE set
ktr4-scope can watch it.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libktr4-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libktr4-1 ${orvane_exact}, libktr4sim1 ${orvane_exact}")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "ktr4-tools")
set(CPACK_COMPONENT_DEV_DESCRIPTION "KTR4 motion-control card library - development files
Headers ktr4.h and ktr4io.h, the simulated card's control header ktr4sim.h,
the CMake package (find_package(ktr4) with the targets ktr4::ktr4 and
ktr4::sim), pkg-config files (ktr4, ktr4sim) and example machine programs
that run on the simulated card and check their outcome.")

set(CPACK_DEBIAN_PATH_PACKAGE_NAME libktr4path1)
set(CPACK_DEBIAN_PATH_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PATH_PACKAGE_CONTROL_EXTRA ${ORVANE_PACKAGING_DIR}/triggers)
set(CPACK_DEBIAN_PATH_PACKAGE_DEPENDS "libktr4-1 ${orvane_exact}")
set(CPACK_COMPONENT_PATH_DESCRIPTION "part programs (G-code) on KTR4 motion-control cards
ktr4path runs RS274/NGC part programs on KTR4 cards through ktr4's public
API: a machine file (TOML) maps program axes to card axes with their scales
and limits, the interpreter reads the program, a look-ahead planner keeps
speed through joints within a corner tolerance, and a run feeds the card's
continuous buffer with feed hold, resume, override, single block and
emergency stop.")

set(CPACK_DEBIAN_PATHDEV_PACKAGE_NAME libktr4path-dev)
set(CPACK_DEBIAN_PATHDEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PATHDEV_PACKAGE_DEPENDS "libktr4path1 ${orvane_exact}, libktr4-dev ${orvane_exact}")
set(CPACK_COMPONENT_PATHDEV_DESCRIPTION "part programs on KTR4 cards - development files
The header ktr4path.h, the pkg-config file ktr4path, the manual pages of
every function (man 3 ktr4path_run_start, man 7 ktr4path) and an example
machine file with every key.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ktr4-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
# dpkg-shlibdeps takes this build's own libraries as private, so the packages holding them
# are named here (the programs link libktr4 and run on the simulated card); ktr4-scope's
# window needs the xcb platform plugin, which Qt's own packages only recommend.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libktr4-1 ${orvane_exact}, libktr4sim1 ${orvane_exact}, qt6-qpa-plugins")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "tools for the simulated KTR4 motion-control card
ktr4-plot draws moves on the simulated card, and runs a program recorded
with KTR4SIM_RECORD, as SVG pictures of position and speed against time.
ktr4-scope watches programs running on the simulated card live (position,
speed, status, X-Y path). ktr4_demo runs a few moves and prints what the card
does. ktr4-run runs part programs (G-code) on the card, or checks, dry-runs
and plots them.")

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
