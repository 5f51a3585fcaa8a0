# OBJ reading against a peer library on one generated file of quads (v, vt, vn, f v/vt/vn).
# Needs Debian's libtinyobjloader-dev (bench/obj_install_peer.sh); skipped without it.
find_file(TESSOID_TINYOBJ_HEADER tiny_obj_loader.h)
if(TESSOID_TINYOBJ_HEADER)
  add_executable(obj_bench ${CMAKE_CURRENT_LIST_DIR}/obj_bench.cpp)
  target_link_libraries(obj_bench PRIVATE objreader tessoid_host_core)
  add_dependencies(obj_bench Tessoid)
else()
  message(STATUS "obj_bench skipped: tiny_obj_loader.h not found (bench/obj_install_peer.sh)")
endif()
