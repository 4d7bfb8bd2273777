# The Windows zip of ktr4 (cpack -G ZIP in the MinGW cross-build; scripts/package_windows.sh):
# ktr4.dll, a MinGW import library (made from the .def file, see
# scripts/windows_import_library.sh), the headers, the .def file with the fixed ordinals
# and a README for Windows users, all at the top of the zip.
find_program(ORVANE_DLLTOOL NAMES ${CMAKE_C_COMPILER_TARGET}-dlltool i686-w64-mingw32-dlltool dlltool REQUIRED)
find_program(ORVANE_NM NAMES i686-w64-mingw32-nm nm REQUIRED)
set(ktr4_import_library ${CMAKE_BINARY_DIR}/packaging/libktr4.dll.a)
add_custom_command(OUTPUT ${ktr4_import_library}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/windows_import_library.sh ${ORVANE_DLLTOOL} ${ORVANE_NM}
    ${CMAKE_SOURCE_DIR}/cardlib/ktr4.def ${ktr4_import_library} $<TARGET_OBJECTS:ktr4_objects>
  DEPENDS ktr4 ${CMAKE_SOURCE_DIR}/cardlib/ktr4.def ${CMAKE_SOURCE_DIR}/scripts/windows_import_library.sh
  COMMAND_EXPAND_LISTS VERBATIM)
add_custom_target(ktr4_import_library ALL DEPENDS ${ktr4_import_library})

install(TARGETS ktr4 RUNTIME DESTINATION . COMPONENT windows)
install(FILES ${ktr4_import_library} DESTINATION . COMPONENT windows)
install(FILES cardlib/include/ktr4.h cardlib/include/ktr4io.h cardlib/ktr4.def
  packaging/windows/README.txt DESTINATION . COMPONENT windows)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ktr4)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL windows)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
