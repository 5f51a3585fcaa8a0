# OBJ reading against peer libraries on generated files of quads (v, vt, vn, f v/vt/vn).
# Needs Debian's libtinyobjloader-dev (bench/obj_install_peer.sh); skipped without it.
# fast_obj is compiled in from TESSOID_PEERS_DIR when that folder has it.
find_file(TESSOID_TINYOBJ_HEADER tiny_obj_loader.h)
if(TESSOID_TINYOBJ_HEADER)
  add_executable(obj_bench ${CMAKE_CURRENT_LIST_DIR}/obj_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/obj_grid_file.cpp)
  target_link_libraries(obj_bench PRIVATE bench_measure objreader tessoid_host_core)
  add_dependencies(obj_bench Tessoid tessoid-host)
  set(fast_obj_dir ${TESSOID_PEERS_DIR}/fast_obj)
  if(EXISTS ${fast_obj_dir}/fast_obj.h)
    target_sources(obj_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fast_obj_peer.c)
    # A system folder: the peer's own warnings are not ours to fix.
    target_include_directories(obj_bench SYSTEM PRIVATE ${fast_obj_dir})
    target_compile_definitions(obj_bench PRIVATE TESSOID_HAVE_FAST_OBJ=1)
  else()
    message(STATUS "obj_bench: no fast_obj.h in ${fast_obj_dir}; fast_obj is skipped")
    target_compile_definitions(obj_bench PRIVATE
      "TESSOID_FAST_OBJ_MISSING=\"no fast_obj.h in ${fast_obj_dir} (set TESSOID_PEERS_DIR)\"")
  endif()
else()
  message(STATUS "obj_bench skipped: tiny_obj_loader.h not found (bench/obj_install_peer.sh)")
endif()
