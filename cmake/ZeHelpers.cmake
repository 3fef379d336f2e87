# ze_glob(VAR DIR): the C++ sources directly in DIR (not in sub-folders).
# Folders are globbed so that adding a file never means editing a list.
function(ze_glob var dir)
  file(GLOB _srcs CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(SORT _srcs)
  set(${var} ${_srcs} PARENT_SCOPE)
endfunction()
