# The real-world test files: the full set in testdata/ of the shared folder (../shared
# beside the checkout, or TESSOID_SHARED_DIR), else the small set bundled in tests/data/real.
set(TESSOID_SHARED_DIR "" CACHE PATH "Folder holding testdata/ with the full set of real-world files")
if(NOT TESSOID_SHARED_DIR AND EXISTS ${PROJECT_SOURCE_DIR}/../shared/testdata/EXPECTED.tsv)
  get_filename_component(TESSOID_SHARED_DIR ${PROJECT_SOURCE_DIR}/../shared ABSOLUTE)
endif()
set(TESSOID_BUNDLED_TESTDATA_DIR ${PROJECT_SOURCE_DIR}/tests/data/real)
if(TESSOID_SHARED_DIR AND EXISTS ${TESSOID_SHARED_DIR}/testdata/EXPECTED.tsv)
  set(TESSOID_TESTDATA_DIR ${TESSOID_SHARED_DIR}/testdata)
  set(TESSOID_FULL_TESTDATA 1)
else()
  set(TESSOID_TESTDATA_DIR ${TESSOID_BUNDLED_TESTDATA_DIR})
  set(TESSOID_FULL_TESTDATA 0)
  message(STATUS "real-world test files: the bundled set (no ../shared/testdata; "
                 "set TESSOID_SHARED_DIR for the full set)")
endif()

# tessoid_add_test(NAME n SOURCES ... [LIBS ...])
# A GoogleTest executable registered with CTest; it runs with the source tree as
# working directory so tests find testdata through TESSOID_SOURCE_DIR.
function(tessoid_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${T_NAME} PRIVATE
    TESSOID_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESSOID_TESTDATA_DIR="${TESSOID_TESTDATA_DIR}"
    TESSOID_BUNDLED_TESTDATA_DIR="${TESSOID_BUNDLED_TESTDATA_DIR}"
    TESSOID_FULL_TESTDATA=${TESSOID_FULL_TESTDATA}
    TESSOID_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 600)
endfunction()

# tessoid_add_fuzzer(NAME n SOURCES ... [LIBS ...] [CORPUS dir...] [DICT file])
# A libFuzzer target; `fuzz-<n>` runs it for TESSOID_FUZZ_SECONDS over its corpus.
set(TESSOID_FUZZ_SECONDS 60 CACHE STRING "Seconds each fuzz target runs in the fuzz-all target")
function(tessoid_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;DICT" "SOURCES;LIBS;CORPUS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}-corpus)
  set(dict_option "")
  if(F_DICT)
    set(dict_option -dict=${F_DICT})
  endif()
  # The run is a script of its own too, so that the test command can run targets side by
  # side without two builds in one tree.
  set(run ${CMAKE_BINARY_DIR}/fuzz-runs/${F_NAME}.sh)
  string(JOIN " " corpus_args ${F_CORPUS})
  file(GENERATE OUTPUT ${run} CONTENT "#!/bin/sh
set -e
mkdir -p '${work}'
exec '$<TARGET_FILE:${F_NAME}>' -max_total_time=${TESSOID_FUZZ_SECONDS} -rss_limit_mb=2048 \\
  -timeout=10 -print_final_stats=1 ${dict_option} '${work}' ${corpus_args}
")
  add_custom_target(fuzz-${F_NAME} COMMAND sh ${run} DEPENDS ${F_NAME} USES_TERMINAL)
  set_property(GLOBAL APPEND PROPERTY TESSOID_FUZZ_TARGETS fuzz-${F_NAME})
endfunction()
