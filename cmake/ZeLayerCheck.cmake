# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a file of one folder includes a header from a folder above it.
# The folders stand in layers, each using only those below:
#   io < image < markup < document < store, transfer < view < shell
# Run as `cmake -DDIR=<folder> -DALLOWED=<folders> -DSTAMP=<file> -P` this file;
# ALLOWED lists the project folders that DIR may include from, or single
# headers ("image/zoom_scale.h") where only those of a folder may be taken.
cmake_policy(SET CMP0057 NEW)
set(_layers io image markup document store transfer view shell cli)
file(GLOB_RECURSE _files "${DIR}/*.h" "${DIR}/*.cpp")
get_filename_component(_self "${DIR}" NAME)
set(_bad "")
foreach(f ${_files})
  file(STRINGS "${f}" _incs REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
  foreach(inc ${_incs})
    string(REGEX REPLACE "^[^\"]*\"([a-z_]+)/.*" "\\1" _dir "${inc}")
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*" "\\1" _path "${inc}")
    if(_dir IN_LIST _layers AND NOT _dir STREQUAL _self AND NOT _dir IN_LIST ALLOWED
       AND NOT _path IN_LIST ALLOWED)
      list(APPEND _bad "${f}: ${_dir}/")
    endif()
  endforeach()
endforeach()
if(_bad)
  list(JOIN _bad "\n  " _list)
  message(FATAL_ERROR "${_self}/ includes from a folder above it:\n  ${_list}")
endif()
file(TOUCH "${STAMP}")
