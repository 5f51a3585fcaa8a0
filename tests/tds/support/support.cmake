# Chunk-file writer shared by the chunk, extraction and benchmark code; any
# folder includes this file, the first one defines the target.
if(NOT TARGET tds_test_support)
  add_library(tds_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/chunk_writer.cpp)
  target_include_directories(tds_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
endif()
