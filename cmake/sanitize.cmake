# SPDX-License-Identifier: MIT
# Instrumented builds, each in a build folder of its own.
#
#   -DHUEPICK_SANITIZE=ON   everything built with AddressSanitizer and
#                           UndefinedBehaviorSanitizer (gcc or clang)
#   -DHUEPICK_FUZZ=ON       adds the libFuzzer targets of tests/fuzz (clang)

option(HUEPICK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(HUEPICK_FUZZ "Build the libFuzzer targets in tests/fuzz (needs clang)" OFF)

if(HUEPICK_SANITIZE)
  # Included before any target exists, so every target and test gets the flags.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Tests that bound running time multiply their bounds by this: the
  # instrumentation makes copying loops up to about 25 times slower.
  add_compile_definitions(HUEPICK_TIME_SCALE=10)
else()
  add_compile_definitions(HUEPICK_TIME_SCALE=1)
endif()

if(HUEPICK_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "HUEPICK_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
