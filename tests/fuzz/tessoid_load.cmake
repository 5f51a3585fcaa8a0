# Mesh object streams: Load over arbitrary bytes, seeded with saved solids of
# every stream version.
tessoid_add_fuzzer(NAME tessoid_load
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tessoid_load.cpp
  LIBS tessoid_core
  CORPUS ${PROJECT_SOURCE_DIR}/tests/tessoid/fuzz_seeds)
