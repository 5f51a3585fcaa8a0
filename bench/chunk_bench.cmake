# The 3DS chunk tree, its decoding and the whole import through the plug-in boundary
# against a peer 3DS reader, on one generated file of at least 40 MB. The peer is
# Debian's lib3ds-dev:i386 (bench/chunk_install_peer.sh); without it the benchmark
# measures this code alone.
include(${PROJECT_SOURCE_DIR}/tests/tds/support/support.cmake)
add_executable(chunk_bench ${CMAKE_CURRENT_LIST_DIR}/chunk_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/threeds_grid_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/counting_host.cpp)
target_link_libraries(chunk_bench PRIVATE bench_measure tds_chunk tds_test_support tessoid_host_core)
add_dependencies(chunk_bench Tessoid tessoid-host)
find_library(TESSOID_LIB3DS NAMES 3ds PATHS /usr/lib/i386-linux-gnu NO_DEFAULT_PATH)
find_path(TESSOID_LIB3DS_INCLUDE lib3ds/file.h)
if(TESSOID_LIB3DS AND TESSOID_LIB3DS_INCLUDE)
  target_compile_definitions(chunk_bench PRIVATE TESSOID_HAVE_LIB3DS=1)
  target_include_directories(chunk_bench SYSTEM PRIVATE ${TESSOID_LIB3DS_INCLUDE})
  target_link_libraries(chunk_bench PRIVATE ${TESSOID_LIB3DS})
else()
  message(STATUS "chunk_bench: 32-bit lib3ds not found (bench/chunk_install_peer.sh); no peer comparison")
endif()
