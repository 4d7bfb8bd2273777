# What `cmake --install` puts where, by component (one Debian package each, cmake/packaging.cmake):
#   runtime  libktr4.so.1 (package libktr4-1)
#   sim      the simulated card driver libktr4sim.so, beside libktr4 where the library looks
#            for its driver by default (package libktr4sim1)
#   dev      headers, libktr4.so link, CMake package, pkg-config files, the example programs
#            (package libktr4-dev)
#   tools    ktr4-plot, ktr4-scope, ktr4_demo and ktr4-run with their manual pages (package ktr4-tools)
#   path     libktr4path.so.1, the part-program library (package libktr4path1)
#   pathdev  ktr4path.h, its link, pkg-config file, manual pages and example machine file
#            (package libktr4path-dev)
#   tessa    the terminal, tessa-device, desktop entry and icon (package tessa)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORVANE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging/linux)
set(KTR4_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ktr4)

# ---- ktr4: library, driver-writer header, simulated driver
install(TARGETS ktr4 EXPORT ktr4Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(FILES cardlib/include/ktr4.h cardlib/include/ktr4io.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
set_target_properties(ktr4 PROPERTIES EXPORT_NAME ktr4)
target_include_directories(ktr4 INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

if(TARGET ktr4sim)
  install(TARGETS ktr4sim EXPORT ktr4Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sim)
  install(FILES cardsim/include/ktr4sim.h cardsim/include/ktr4sim_scope.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
  set_target_properties(ktr4sim PROPERTIES EXPORT_NAME sim)
  target_include_directories(ktr4sim INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
endif()

# ---- ktr4path: the part-program library, a user of libktr4's public API
install(TARGETS ktr4path LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT path NAMELINK_COMPONENT pathdev)
install(FILES pathlib/include/ktr4path.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT pathdev)
install(FILES pathlib/examples/router.toml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libktr4path-dev/examples COMPONENT pathdev)

# ---- CMake package: find_package(ktr4) gives ktr4::ktr4 and ktr4::sim
install(EXPORT ktr4Targets NAMESPACE ktr4:: DESTINATION ${KTR4_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${ORVANE_PACKAGING_DIR}/ktr4Config.cmake.in
  ${CMAKE_BINARY_DIR}/packaging/ktr4Config.cmake INSTALL_DESTINATION ${KTR4_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/ktr4ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ktr4Config.cmake ${CMAKE_BINARY_DIR}/packaging/ktr4ConfigVersion.cmake
  DESTINATION ${KTR4_CMAKE_DIR} COMPONENT dev)

# ---- pkg-config: `pkg-config ktr4` (and ktr4sim for the simulated card's controls)
# The prefix in the files is the one of the install itself (cmake --install --prefix, or /usr
# when cpack makes the packages), so they are written when installing, not when configuring.
function(orvane_pkgconfig_template pc)
  set(CMAKE_INSTALL_PREFIX "@CMAKE_INSTALL_PREFIX@")
  configure_file(${ORVANE_PACKAGING_DIR}/${pc}.pc.in ${CMAKE_BINARY_DIR}/packaging/${pc}.pc.in @ONLY)
endfunction()
foreach(pc ktr4 ktr4sim ktr4path)
  set(component dev)
  if(pc STREQUAL "ktr4path")
    set(component pathdev)
  endif()
  orvane_pkgconfig_template(${pc})
  install(CODE "
    configure_file(\"${CMAKE_BINARY_DIR}/packaging/${pc}.pc.in\"
      \"${CMAKE_BINARY_DIR}/packaging/install/${pc}.pc\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\" TYPE FILE
      FILES \"${CMAKE_BINARY_DIR}/packaging/install/${pc}.pc\")" COMPONENT ${component})
endforeach()

# ---- the example machine programs, as sources to copy and build
install(FILES examples/CMakeLists.txt examples/Makefile examples/README
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libktr4-dev/examples COMPONENT dev)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libktr4-dev/examples
  COMPONENT dev FILES_MATCHING PATTERN "*.c")

# ---- programs and their manual pages (gzipped, as Debian ships them)
set(orvane_programs)
foreach(pair "ktr4_plot:tools" "ktr4_scope:tools" "ktr4_demo:tools" "ktr4-run:tools" "tessa_device_program:tessa" "tessa:tessa"
        "tessa_run:tessa")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 target)
  list(GET pair 1 component)
  if(NOT TARGET ${target})
    continue()
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  get_target_property(program ${target} OUTPUT_NAME)
  if(NOT program)
    set(program ${target})
  endif()
  set(page ${CMAKE_BINARY_DIR}/packaging/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/man
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${ORVANE_PACKAGING_DIR}/man/${program}.1 ${page}
    DEPENDS ${ORVANE_PACKAGING_DIR}/man/${program}.1 VERBATIM)
  list(APPEND orvane_programs ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()
add_custom_target(orvane_man_pages ALL DEPENDS ${orvane_programs})

# ---- desktop entry and icon of tessa, and the example script tessa-run(1) points to
if(TARGET tessa)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/terminal/script/examples/
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessa/examples COMPONENT tessa FILES_MATCHING PATTERN "*.lua")
  install(FILES ${ORVANE_PACKAGING_DIR}/tessa.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT tessa)
  install(FILES ${ORVANE_PACKAGING_DIR}/tessa.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT tessa)
endif()
