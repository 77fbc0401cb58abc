# SPDX-License-Identifier: GPL-3.0-or-later
# Shared helpers: one library per src/ folder, one test executable per tests/ folder.

# vt_library(NAME <sources...> LINK <targets...>)
function(vt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(vt_${name} STATIC ${ARG_SOURCES})
  target_include_directories(vt_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(vt_${name} PUBLIC ${ARG_LINK})
endfunction()

# vt_test(NAME SOURCES <...> LINK <...> [CORE] [X11] [TRAY] [PULSE] [DBUS] [ARGS <...>]
#         [TIMEOUT <s>] [LABELS <...>])
# One test program test_NAME with the shared main of tests/support/TestMain.cpp,
# compiled for the options:
#   CORE   a QCoreApplication instead of a QApplication
#   X11    Qt on the private X display (Xvfb, openbox); else offscreen, without DISPLAY
#   TRAY   X11 with trayer as system tray
#   PULSE  the private PulseAudio daemon
#   DBUS   a private D-Bus session bus
# It runs as the test NAME with the ARGS (a --gtest_filter, say); vt_test_run()
# runs it once more in a process of its own.
function(vt_test name)
  cmake_parse_arguments(ARG "CORE;X11;TRAY;PULSE;DBUS" "TIMEOUT" "SOURCES;LINK;LABELS;ARGS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(test_${name} PRIVATE ${ARG_LINK} vt_test_support GTest::gtest GTest::gmock)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  foreach(option CORE X11 TRAY PULSE DBUS)
    if(ARG_${option})
      target_compile_definitions(test_${name} PRIVATE VT_TEST_${option})
    endif()
  endforeach()
  if(ARG_X11 OR ARG_TRAY)
    list(APPEND ARG_LABELS x11)
  endif()
  vt_test_run(${name} PROGRAM test_${name} ARGS ${ARG_ARGS} TIMEOUT ${ARG_TIMEOUT} LABELS ${ARG_LABELS})
endfunction()

# vt_test_run(NAME PROGRAM <target> [ARGS <...>] [TIMEOUT <s>] [LABELS <...>] [ENV <VAR=value...>])
# A test that runs a test program with arguments; 300 s unless told otherwise.
function(vt_test_run name)
  cmake_parse_arguments(ARG "" "PROGRAM;TIMEOUT" "ARGS;LABELS;ENV" ${ARGN})
  add_test(NAME ${name} COMMAND ${ARG_PROGRAM} ${ARG_ARGS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "VT_SOURCE_DIR=${PROJECT_SOURCE_DIR};VT_BINARY_DIR=${PROJECT_BINARY_DIR};${ARG_ENV}"
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "${ARG_LABELS}")
endfunction()

# vt_bench(NAME <sources...> LINK <targets...>)
function(vt_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE ${ARG_LINK} benchmark::benchmark)
  target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/bench)
endfunction()
