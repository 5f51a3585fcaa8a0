# The shared real-world test files: beside the checkout, or where the workplace keeps them.
set(TESSOID_SHARED_DIR "" CACHE PATH "Folder holding testdata/ with the real-world files")
if(NOT TESSOID_SHARED_DIR)
  foreach(candidate ${PROJECT_SOURCE_DIR}/../shared /work/shared)
    if(EXISTS ${candidate}/testdata/EXPECTED.tsv)
      get_filename_component(TESSOID_SHARED_DIR ${candidate} ABSOLUTE)
      break()
    endif()
  endforeach()
endif()
if(NOT TESSOID_SHARED_DIR)
  message(WARNING "real-world test files not found: set TESSOID_SHARED_DIR")
  set(TESSOID_SHARED_DIR ${PROJECT_SOURCE_DIR}/../shared)
endif()

# tessoid_add_test(NAME n SOURCES ... [LIBS ...])
# A GoogleTest executable registered with CTest; it runs with the source tree as
# working directory so tests find testdata through TESSOID_SOURCE_DIR.
function(tessoid_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${T_NAME} PRIVATE
    TESSOID_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESSOID_SHARED_DIR="${TESSOID_SHARED_DIR}"
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
  add_custom_target(fuzz-${F_NAME}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${work}
    COMMAND $<TARGET_FILE:${F_NAME}> -max_total_time=${TESSOID_FUZZ_SECONDS} -rss_limit_mb=2048
            -timeout=10 -print_final_stats=1 ${dict_option} ${work} ${F_CORPUS}
    DEPENDS ${F_NAME} USES_TERMINAL)
  set_property(GLOBAL APPEND PROPERTY TESSOID_FUZZ_TARGETS fuzz-${F_NAME})
endfunction()
