# SPDX-License-Identifier: GPL-3.0-or-later
# ze_glob(VAR DIR): the C++ sources directly in DIR (not in sub-folders).
# Folders are globbed so that adding a file never means editing a list.
function(ze_glob var dir)
  file(GLOB _srcs CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(SORT _srcs)
  set(${var} ${_srcs} PARENT_SCOPE)
endfunction()

# ze_layer_check(target dir allowed...): the build of `target` fails when a
# file under `dir` includes from a project folder not in `allowed` (a folder,
# or one header of a folder: "image/zoom_scale.h").
function(ze_layer_check target dir)
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.cpp)
  set(_stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layers.stamp)
  string(REPLACE ";" "\\;" _allowed "${ARGN}")
  add_custom_command(
    OUTPUT ${_stamp}
    COMMAND ${CMAKE_COMMAND} -DDIR=${dir} "-DALLOWED=${_allowed}" -DSTAMP=${_stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/ZeLayerCheck.cmake
    DEPENDS ${_files} ${PROJECT_SOURCE_DIR}/cmake/ZeLayerCheck.cmake
    COMMENT "Checking the includes of ${target}")
  add_custom_target(${target}_layers DEPENDS ${_stamp})
  add_dependencies(${target} ${target}_layers)
endfunction()

# ze_opened_library(VAR name dirs...): for a library the program opens when
# it is first needed rather than links, the file name it is opened by
# (ZE_VAR_SONAME, e.g. libavif.so.16) and the Debian package that holds it
# (ZE_VAR_PACKAGE, e.g. libavif16), from the library this build finds.
function(ze_opened_library var name)
  find_library(ZE_${var}_LIBRARY NAMES ${name} HINTS ${ARGN} REQUIRED)
  file(REAL_PATH "${ZE_${var}_LIBRARY}" _file)
  get_filename_component(_file "${_file}" NAME)
  if(NOT _file MATCHES "^(lib${name}\\.so\\.([0-9]+))")
    message(FATAL_ERROR "lib${name}: cannot tell its version from ${_file}")
  endif()
  set(ZE_${var}_SONAME "${CMAKE_MATCH_1}" CACHE INTERNAL "")
  set(ZE_${var}_PACKAGE "lib${name}${CMAKE_MATCH_2}" CACHE INTERNAL "")
endfunction()
