# Fails when a file of the map view (view/) includes a header of the
# editor's window (shell/): the window is built over the view, never the
# other way. Run as `cmake -DDIR=<view folder> -DSTAMP=<file> -P` this file.
file(GLOB_RECURSE _files "${DIR}/*.h" "${DIR}/*.cpp")
set(_bad "")
foreach(f ${_files})
  file(STRINGS "${f}" _hits REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]shell/")
  if(_hits)
    list(APPEND _bad "${f}")
  endif()
endforeach()
if(_bad)
  list(JOIN _bad "\n  " _list)
  message(FATAL_ERROR "view/ includes from shell/:\n  ${_list}")
endif()
file(TOUCH "${STAMP}")
