# OBJ reader targets: the number scanners against the C library, and the whole reader.
tessoid_add_fuzzer(NAME obj_number_scan
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/obj_number_scan.cpp
  LIBS objreader
  CORPUS ${PROJECT_SOURCE_DIR}/tests/objreader/fuzz_seeds/numbers)
tessoid_add_fuzzer(NAME obj_reader
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/obj_reader.cpp
  LIBS objreader
  CORPUS ${PROJECT_SOURCE_DIR}/tests/objreader/fuzz_seeds/obj ${TESSOID_TESTDATA_DIR}/obj)
