# The Windows zip of ktr4 (cpack -G ZIP in the MinGW cross-build; scripts/package_windows.sh):
# ktr4.dll, its MinGW import library, the headers, the .def file with the fixed ordinals
# and a README for Windows users, all at the top of the zip.
install(TARGETS ktr4 RUNTIME DESTINATION . ARCHIVE DESTINATION . COMPONENT windows)
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
