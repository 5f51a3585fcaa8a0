# The plug-in module: every subsystem's objects in one library. Included by the
# root CMakeLists.txt once all folders are known.
set(TESSOID_PARTS tessoid_plugin tessoid_mesh tessoid_object tessoid_import tessoid_tessellate)
set(TESSOID_LIBS tds_extract tds_chunk objreader)

add_library(tessoid_core STATIC)
foreach(part IN LISTS TESSOID_PARTS)
  if(TARGET ${part})
    target_sources(tessoid_core PRIVATE $<TARGET_OBJECTS:${part}>)
    target_link_libraries(tessoid_core PUBLIC $<TARGET_PROPERTY:${part},INTERFACE_LINK_LIBRARIES>)
  endif()
endforeach()
target_include_directories(tessoid_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tessoid_core PUBLIC win32)
foreach(lib IN LISTS TESSOID_LIBS)
  if(TARGET ${lib})
    target_link_libraries(tessoid_core PUBLIC ${lib})
  endif()
endforeach()
if(TARGET Glintor2)
  target_link_libraries(tessoid_core PUBLIC Glintor2)
elseif(TARGET glintor2_import)
  target_link_libraries(tessoid_core PUBLIC glintor2_import)
endif()

# The fuzz build needs only the static core; a sanitized shared module would want the
# sanitizer runtime that only an executable links.
if(TESSOID_FUZZ)
  return()
endif()

add_library(Tessoid SHARED ${PROJECT_SOURCE_DIR}/module/library_main.cpp)
target_link_libraries(Tessoid PRIVATE
  "$<LINK_LIBRARY:WHOLE_ARCHIVE,tessoid_core>" win32)
set_target_properties(Tessoid PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
if(WIN32)
  set_target_properties(Tessoid PROPERTIES PREFIX "" OUTPUT_NAME Tessoid)
  target_sources(Tessoid PRIVATE ${TESSOID_RC_SOURCES})
  target_link_options(Tessoid PRIVATE -static-libgcc -static-libstdc++ -static
                      -Wl,--exclude-all-symbols)
else()
  target_link_libraries(Tessoid PRIVATE tessoid_resources)
  target_link_options(Tessoid PRIVATE -Wl,--no-undefined
                      -Wl,--version-script=${PROJECT_SOURCE_DIR}/plugin/exports.map)
  set_property(TARGET Tessoid APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/plugin/exports.map)
endif()

# The host loads the plug-in by path; building it means building the plug-in too.
if(TARGET tessoid-host)
  add_dependencies(tessoid-host Tessoid)
endif()
