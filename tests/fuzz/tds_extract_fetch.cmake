# Extraction of every record kind from arbitrary chunk files; seeded with the real files.
tessoid_add_fuzzer(NAME tds_extract_fetch
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tds_extract_fetch.cpp
  LIBS tds_extract tds_chunk
  CORPUS ${TESSOID_TESTDATA_DIR}/3ds)
