# Chunk file loader and decoder; seeded with the real-world files.
tessoid_add_fuzzer(NAME chunk_load
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/chunk_load.cpp
  LIBS tds_chunk
  CORPUS ${TESSOID_TESTDATA_DIR}/3ds)
