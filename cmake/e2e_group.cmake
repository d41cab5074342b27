# SPDX-License-Identifier: MIT
# One group of end-to-end tests in one line:
#
#   huepick_add_e2e_group(<name> SOURCES <file>...
#                         [PREFIX <test name prefix>]   default "e2e."
#                         [TIMEOUT <seconds per test>]  default 90
#                         [LIBRARIES <target>...] [DEPENDS <target>...]
#                         [DEFINITIONS <NAME=value>...])
#
# builds huepick_<name>_tests on the end-to-end harness and its main(), and
# registers each GoogleTest case with the label "e2e". Each test brings up its
# own X server, so a stuck one is cut off by TIMEOUT; the test process itself
# runs on Qt's offscreen platform with a private XDG_RUNTIME_DIR.
include(GoogleTest)

function(huepick_add_e2e_group name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX;TIMEOUT" "SOURCES;LIBRARIES;DEPENDS;DEFINITIONS")
  if(arg_UNPARSED_ARGUMENTS OR NOT arg_SOURCES)
    message(FATAL_ERROR "huepick_add_e2e_group(${name}): give SOURCES, and only the known options")
  endif()
  if(NOT DEFINED arg_PREFIX)
    set(arg_PREFIX "e2e.")
  endif()
  if(NOT DEFINED arg_TIMEOUT)
    set(arg_TIMEOUT 90)
  endif()

  set(target huepick_${name}_tests)
  add_executable(${target} ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE huepick_e2e_main ${arg_LIBRARIES})
  if(arg_DEFINITIONS)
    target_compile_definitions(${target} PRIVATE ${arg_DEFINITIONS})
  endif()
  add_dependencies(${target} huepick ${arg_DEPENDS})

  set(runtime_dir ${CMAKE_CURRENT_BINARY_DIR}/${name}-xdg-runtime)
  file(MAKE_DIRECTORY ${runtime_dir})
  file(CHMOD ${runtime_dir} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

  gtest_discover_tests(${target}
    TEST_PREFIX "${arg_PREFIX}"
    DISCOVERY_TIMEOUT 30
    PROPERTIES
      LABELS e2e
      TIMEOUT ${arg_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${runtime_dir}")
endfunction()
