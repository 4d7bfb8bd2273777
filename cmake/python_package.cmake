# Debian package python3-ktr4: the Python package ktr4 (install component `python`, see
# python/CMakeLists.txt) in Debian's layout, byte-compiled at install by py3compile as
# Debian's Python packages are, and its examples in its doc folder.
if(NOT TARGET ktr4_python)
  return()
endif()
list(APPEND CPACK_COMPONENTS_ALL python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-ktr4)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
# ctypes loads libktr4.so.1, at least the version whose header the declarations come from;
# py3compile comes with python3. ktr4.sim needs the simulated card's driver.
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3, libktr4-1 (>= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "libktr4sim1, libktr4path1")
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/python/packaging/postinst ${CMAKE_SOURCE_DIR}/python/packaging/prerm)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "KTR4 motion-control card library - Python 3 binding
ktr4 gives Python programs the KTR4 four-axis motion-control card through
its C library libktr4.so.1: every function of the library with Python names
and types, cards and axes as objects (moves, jogs, stops, lines and arcs,
homing, interrupts delivered to a Python function, configuration files),
result codes as exceptions with the library's texts, and the simulated
card's controls for tests. Examples of the card's main tasks are in
/usr/share/doc/python3-ktr4/examples; its README tells how other Python
interpreters (venvs, pyenv) get the same binding as a wheel.")
