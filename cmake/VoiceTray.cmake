# SPDX-License-Identifier: GPL-3.0-or-later
# Shared helpers: one library per src/ folder, one test executable per tests/ folder.

# vt_library(NAME <sources...> LINK <targets...>)
function(vt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(vt_${name} STATIC ${ARG_SOURCES})
  target_include_directories(vt_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(vt_${name} PUBLIC ${ARG_LINK})
endfunction()

# vt_test(NAME <sources...> LINK <targets...> [LABELS ...])
# Every test runs with the offscreen platform unless its environment says otherwise.
function(vt_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LINK;LABELS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND test_${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VT_SOURCE_DIR=${PROJECT_SOURCE_DIR};VT_BINARY_DIR=${PROJECT_BINARY_DIR}"
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
