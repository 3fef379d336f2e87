# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts in place, and the Debian package that CPack
# makes of it (`cpack -G DEB` in the build folder).
include(GNUInstallDirs)

set(ZE_APP_ID jp.sekka.zerevizi)
set(_res ${PROJECT_SOURCE_DIR}/resources)

foreach(_exe zer-evizi zer-evizi-cli)
  if(TARGET ${_exe})
    install(TARGETS ${_exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# The commands of zer-evizi-cli that need Qt Core or X11, a program of its own that
# zer-evizi-cli finds there (cli/CMakeLists.txt).
if(TARGET zer-evizi-cli-desktop)
  install(TARGETS zer-evizi-cli-desktop RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/zer-evizi)
endif()

install(FILES ${_res}/${ZE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_res}/${ZE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${_res}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${_res}/sample.bmp DESTINATION ${CMAKE_INSTALL_DATADIR}/zer-evizi)
# Debian keeps each package's licence as /usr/share/doc/PACKAGE/copyright.
install(FILES ${_res}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zer-evizi)

# The user manual and the other pages of docs/ as HTML, made in the build
# tree's docs/ (where a program run from the build tree finds it) and
# installed as share/zer-evizi/doc/.
find_program(ZE_DOCS_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT ZE_DOCS_PYTHON)
  find_program(ZE_DOCS_PYTHON python3)
endif()
if(ZE_DOCS_PYTHON)
  execute_process(COMMAND ${ZE_DOCS_PYTHON} -c "import markdown"
                  RESULT_VARIABLE _no_markdown OUTPUT_QUIET ERROR_QUIET)
endif()
if(ZE_DOCS_PYTHON AND _no_markdown EQUAL 0)
  file(GLOB_RECURSE _docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md
       ${PROJECT_SOURCE_DIR}/docs/*.png ${PROJECT_SOURCE_DIR}/docs/*.1)
  set(_stamp ${PROJECT_BINARY_DIR}/docs/manual/ja/index.html)
  add_custom_command(OUTPUT ${_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PROJECT_BINARY_DIR}/docs
    COMMAND ${ZE_DOCS_PYTHON} ${PROJECT_SOURCE_DIR}/docs/make_html.py
            ${PROJECT_SOURCE_DIR}/docs ${PROJECT_BINARY_DIR}/docs
    DEPENDS ${_docs} ${PROJECT_SOURCE_DIR}/docs/make_html.py VERBATIM)
  add_custom_target(ze_manual ALL DEPENDS ${_stamp})
  install(DIRECTORY ${PROJECT_BINARY_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zer-evizi/doc)
else()
  message(WARNING "python3 with its markdown module (python3-markdown) is missing: "
                  "the manual is not made or installed")
endif()

# Manual pages go in compressed, as Debian keeps them.
find_program(GZIP_EXECUTABLE gzip)
foreach(_page zer-evizi.1 zer-evizi-cli.1)
  set(_src ${PROJECT_SOURCE_DIR}/docs/${_page})
  if(GZIP_EXECUTABLE)
    set(_gz ${PROJECT_BINARY_DIR}/man/${_page}.gz)
    add_custom_command(OUTPUT ${_gz}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${_src} > ${_gz}
      DEPENDS ${_src} VERBATIM)
    list(APPEND _man_pages ${_gz})
  else()
    list(APPEND _man_pages ${_src})
  endif()
endforeach()
add_custom_target(ze_man_pages ALL DEPENDS ${_man_pages})
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME zer-evizi)
set(CPACK_PACKAGE_VENDOR SEKKA)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zer Evizi SEKKA developers <sekka@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for HTML client-side image maps")
set(CPACK_PACKAGE_DESCRIPTION
    "Open a picture (GIF, JPEG, PNG, BMP, WebP or AVIF), draw circles, rectangles and polygons on it, and the area markup of an HTML client-side image map appears beside it. The Japanese user interface comes with zer-evizi-cli, which does the same work without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries come from the binaries themselves (dpkg-shlibdeps); Qt's
# Japanese dialogs, libavif, opened only when an AVIF file is read or
# written, libimagequant, opened only when a GIF of more than 256 colours is
# written, and libexif, opened only when a JPEG carries EXIF, come from
# packages no binary links against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, ${ZE_AVIF_PACKAGE}, ${ZE_IMAGEQUANT_PACKAGE}, ${ZE_EXIF_PACKAGE}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")
include(CPack)
