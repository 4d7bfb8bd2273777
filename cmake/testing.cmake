# One way to add a test program:
#   orvane_add_test(<target> SOURCES <file>... [LIBS <library>...] [INCLUDES <dir>...]
#                   [DEFINES <NAME=value>...] [DEPENDS <target>...] [PROPERTIES <name> <value>...]
#                   [MAIN <library>] [QT_TEST [NAME <test>]])
# The program is built with the strict warnings and sees the headers of its own test folder
# and of INCLUDES. A GoogleTest program (the default) links GoogleTest and a main(), GoogleTest's
# own unless MAIN names another; each of its cases is a ctest test of its own. A Qt Test
# program (QT_TEST) links Qt Test and is one ctest test, named after the target unless NAME
# says otherwise. PROPERTIES are ctest properties of every test the program makes; DEPENDS
# are programs it runs, built before it.

# The test programs link the terminal's window and their debug information: ld.bfd spends
# several seconds on each, lld a quarter of that. Shipped libraries and programs keep the
# system's default linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld ORVANE_TESTS_LINK_WITH_LLD)

function(orvane_add_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT_TEST" "NAME;MAIN" "SOURCES;LIBS;INCLUDES;DEFINES;DEPENDS;PROPERTIES")
  if(arg_UNPARSED_ARGUMENTS OR NOT arg_SOURCES)
    message(FATAL_ERROR "orvane_add_test(${target}): SOURCES needed; not understood: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  add_executable(${target} ${arg_SOURCES})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${arg_INCLUDES})
  target_link_libraries(${target} PRIVATE ${arg_LIBS})
  if(arg_DEFINES)
    target_compile_definitions(${target} PRIVATE ${arg_DEFINES})
  endif()
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()
  orvane_target_warnings(${target})
  if(ORVANE_TESTS_LINK_WITH_LLD)
    target_link_options(${target} PRIVATE -fuse-ld=lld)
  endif()

  if(arg_QT_TEST)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE Qt6::Test)
    if(NOT arg_NAME)
      set(arg_NAME ${target})
    endif()
    add_test(NAME ${arg_NAME} COMMAND ${target})
    if(arg_PROPERTIES)
      set_tests_properties(${arg_NAME} PROPERTIES ${arg_PROPERTIES})
    endif()
  else()
    if(NOT arg_MAIN)
      set(arg_MAIN GTest::gtest_main)
    endif()
    target_link_libraries(${target} PRIVATE ${arg_MAIN} GTest::gtest)
    set(properties)
    if(arg_PROPERTIES)
      set(properties PROPERTIES ${arg_PROPERTIES})
    endif()
    gtest_discover_tests(${target} ${properties} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
