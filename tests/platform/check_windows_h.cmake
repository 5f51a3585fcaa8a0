# cmake -DHEADER=<win32_standin.h> -DWORK=<dir> -DCC=<mingw gcc> -DCXX=<mingw g++> -P check_windows_h.cmake
#
# Compiles what the stand-in header declares against the MinGW windows.h, so the
# plug-in source means the same thing in both builds: every constant has the same
# value and type, every function the same signature and calling convention, every
# type and record the same definition.
cmake_minimum_required(VERSION 3.25)
file(STRINGS "${HEADER}" lines)

# Not values: calling conventions, spelling helpers and the ANSI name mappings.
set(skip WINAPI CALLBACK APIENTRY __stdcall __cdecl CONST VOID MAKEINTRESOURCE)

set(c_checks "")
set(cxx_checks "")
set(count_constants 0)
set(count_functions 0)
set(count_types 0)
set(struct_fields "")
set(in_struct "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#define ([A-Za-z_][A-Za-z0-9_]*) (.+)$")
    set(name ${CMAKE_MATCH_1})
    set(value "${CMAKE_MATCH_2}")
    if(name IN_LIST skip OR value MATCHES "^[A-Z][A-Za-z]*A$" OR value MATCHES "^__attribute__")
      continue()
    endif()
    string(APPEND c_checks
      "_Static_assert((unsigned long long)(ULONG_PTR)(${name}) == (unsigned long long)(ULONG_PTR)(${value}), \"value of ${name}\");\n"
      "_Static_assert(_Generic((${name}), __typeof__(${value}): 1, default: 0), \"type of ${name}\");\n")
    math(EXPR count_constants "${count_constants} + 1")
  elseif(line MATCHES "^([A-Za-z_][A-Za-z0-9_ ]*[A-Za-z0-9_*]) WINAPI ([A-Za-z0-9_]+)\\((.*)\\);$")
    set(args "${CMAKE_MATCH_3}")
    if(args STREQUAL "void")
      set(args "")
    endif()
    string(APPEND cxx_checks
      "static_assert(std::is_same_v<decltype(&::${CMAKE_MATCH_2}), ${CMAKE_MATCH_1} (WINAPI*)(${args})>, \"signature of ${CMAKE_MATCH_2}\");\n")
    math(EXPR count_functions "${count_functions} + 1")
  elseif(line MATCHES "^typedef ([A-Za-z_][A-Za-z0-9_]*)\\(CALLBACK\\* ([A-Za-z0-9_]+)\\)\\((.*)\\);$")
    string(APPEND cxx_checks
      "static_assert(std::is_same_v<${CMAKE_MATCH_2}, ${CMAKE_MATCH_1} (CALLBACK*)(${CMAKE_MATCH_3})>, \"type ${CMAKE_MATCH_2}\");\n")
    math(EXPR count_types "${count_types} + 1")
  elseif(line MATCHES "^DECLARE_HANDLE\\(([A-Za-z0-9_]+)\\);$")
    string(APPEND cxx_checks
      "static_assert(std::is_same_v<${CMAKE_MATCH_1}, struct ${CMAKE_MATCH_1}__*>, \"handle ${CMAKE_MATCH_1}\");\n")
    math(EXPR count_types "${count_types} + 1")
  elseif(line MATCHES "^typedef struct [A-Za-z0-9_]+ {$")
    set(in_struct 1)
    set(struct_fields "")
  elseif(in_struct AND line MATCHES "^} ([A-Za-z0-9_]+)")
    # Same field types in the same order with nothing else: the same layout.
    set(record ${CMAKE_MATCH_1})
    set(previous "")
    set(sum "0")
    foreach(field IN LISTS struct_fields)
      string(REPLACE "|" ";" parts "${field}")
      list(GET parts 0 ftype)
      list(GET parts 1 fname)
      string(APPEND cxx_checks
        "static_assert(std::is_same_v<decltype(${record}::${fname}), ${ftype}>, \"${record}::${fname}\");\n")
      if(previous)
        string(APPEND cxx_checks
          "static_assert(offsetof(${record}, ${previous}) < offsetof(${record}, ${fname}), \"order of ${record}::${fname}\");\n")
      endif()
      set(previous ${fname})
      string(APPEND sum " + sizeof(${ftype})")
    endforeach()
    string(APPEND cxx_checks "static_assert(sizeof(${record}) == ${sum}, \"size of ${record}\");\n")
    math(EXPR count_types "${count_types} + 1")
    set(in_struct "")
  elseif(in_struct AND line MATCHES "^  ([A-Za-z_][A-Za-z0-9_ ]*[A-Za-z0-9_*]) ([A-Za-z0-9_]+);$")
    list(APPEND struct_fields "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}")
  elseif(line MATCHES "^typedef ([A-Za-z_][A-Za-z0-9_ ]*[A-Za-z0-9_*]) ([A-Za-z0-9_]+);$")
    string(APPEND cxx_checks
      "static_assert(std::is_same_v<${CMAKE_MATCH_2}, ${CMAKE_MATCH_1}>, \"type ${CMAKE_MATCH_2}\");\n")
    math(EXPR count_types "${count_types} + 1")
  endif()
endforeach()

# A check list that stopped matching the header would pass vacuously.
if(count_constants LESS 100 OR count_functions LESS 25 OR count_types LESS 30)
  message(FATAL_ERROR "too few declarations recognised: ${count_constants} constants, "
                      "${count_functions} functions, ${count_types} types")
endif()

file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/constants.c" "#include <windows.h>\n#include <commctrl.h>\n${c_checks}")
file(WRITE "${WORK}/declarations.cpp"
  "#include <windows.h>\n#include <cstddef>\n#include <type_traits>\n${cxx_checks}")
foreach(step "${CC};-std=c11;constants.c" "${CXX};-std=c++20;declarations.cpp")
  list(GET step 0 compiler)
  list(GET step 1 standard)
  list(GET step 2 source)
  execute_process(COMMAND ${compiler} ${standard} -fsyntax-only -Wall ${source}
                  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${source} does not compile against windows.h:\n${out}")
  endif()
endforeach()
message(STATUS "windows.h agrees: ${count_constants} constants, ${count_functions} functions, ${count_types} types")
