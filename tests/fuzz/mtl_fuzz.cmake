# Material library reader target: the reader alone, on arbitrary text.
tessoid_add_fuzzer(NAME mtl_library
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mtl_library.cpp
  LIBS objreader
  CORPUS ${PROJECT_SOURCE_DIR}/tests/objreader/fuzz_seeds/mtl ${TESSOID_TESTDATA_DIR}/obj)
