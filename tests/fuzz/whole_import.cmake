# The whole import as the host runs it, on the fuzzer's bytes as a .3ds and as an .obj
# file, against the reference host's strict services.
# The 3DS target's dictionary: every chunk id the reader knows, as the two
# little-endian bytes that start a chunk, read out of the rows of the chunk catalogue.
file(STRINGS ${PROJECT_SOURCE_DIR}/tds/chunk/chunk_catalogue.def chunk_id_lines
     REGEX "^TDS_CHUNK\\(CK_[A-Z0-9_]+, *0x[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f],")
set(chunk_dict "")
foreach(line IN LISTS chunk_id_lines)
  string(REGEX MATCH "(CK_[A-Z0-9_]+), *0x([0-9A-Fa-f][0-9A-Fa-f])([0-9A-Fa-f][0-9A-Fa-f])"
         _ "${line}")
  string(APPEND chunk_dict "${CMAKE_MATCH_1}=\"\\x${CMAKE_MATCH_3}\\x${CMAKE_MATCH_2}\"\n")
endforeach()
set(chunk_dict_file ${CMAKE_CURRENT_BINARY_DIR}/chunk_ids.dict)
file(WRITE ${chunk_dict_file} "${chunk_dict}")

foreach(format IN ITEMS 3ds obj)
  if(format STREQUAL "3ds")
    set(seeds ${TESSOID_TESTDATA_DIR}/3ds)
    set(dict DICT ${chunk_dict_file})
  else()
    set(seeds ${PROJECT_SOURCE_DIR}/tests/objreader/fuzz_seeds/obj ${TESSOID_TESTDATA_DIR}/obj)
    set(dict "")
  endif()
  tessoid_add_fuzzer(NAME whole_import_${format}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/whole_import.cpp
    LIBS tessoid_host_core tessoid_core tessoid_resources
    CORPUS ${seeds}
    ${dict})
  target_compile_definitions(whole_import_${format} PRIVATE IMPORT_EXTENSION=".${format}")
endforeach()
