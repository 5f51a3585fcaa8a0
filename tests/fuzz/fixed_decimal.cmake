# Scene text numbers: the fixed-point formatter against the C library, seeded with
# ties, carries and extremes.
tessoid_add_fuzzer(NAME fixed_decimal
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fixed_decimal.cpp
  LIBS tessoid_core
  CORPUS ${PROJECT_SOURCE_DIR}/tests/tessoid/fuzz_seeds_fixed_decimal)
