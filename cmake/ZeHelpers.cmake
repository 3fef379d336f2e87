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
