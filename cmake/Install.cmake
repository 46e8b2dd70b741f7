# Installation and the Debian package. The program folder keeps its shape
# under PREFIX/lib/games/tintaro; PREFIX/games holds links to the two
# commands, so the program still finds its folder through /proc/self/exe.
# (A private library below lib/games also needs no ldconfig run.)
include(GNUInstallDirs)

set(TINTARO_INSTALL_DIR lib/games/tintaro)
set(TINTARO_COMMAND_DIR games)
include(${CMAKE_SOURCE_DIR}/data/desktop/Icons.cmake)

if(TARGET tintaro)
  install(TARGETS tintaro RUNTIME DESTINATION ${TINTARO_INSTALL_DIR})
endif()
if(TARGET tromake)
  install(TARGETS tromake RUNTIME DESTINATION ${TINTARO_INSTALL_DIR})
endif()
install(TARGETS unzeng LIBRARY DESTINATION ${TINTARO_INSTALL_DIR})
install(FILES ${TINTARO_PROGRAM_DIR}/TRO3.trz DESTINATION ${TINTARO_INSTALL_DIR} OPTIONAL)
install(DIRECTORY ${TINTARO_PROGRAM_DIR}/Puzzles ${TINTARO_PROGRAM_DIR}/help
  DESTINATION ${TINTARO_INSTALL_DIR} OPTIONAL)

# Relative links, made in the build tree and installed as links.
set(link_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${link_dir})
foreach(command tintaro tromake)
  file(CREATE_LINK ../${TINTARO_INSTALL_DIR}/${command} ${link_dir}/${command} SYMBOLIC)
  install(FILES ${link_dir}/${command} DESTINATION ${TINTARO_COMMAND_DIR})
endforeach()

set(desktop ${CMAKE_SOURCE_DIR}/data/desktop)
install(FILES ${desktop}/org.tintaro.Tintaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/org.tintaro.Tintaro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The puzzle file's type; the shared-mime-info package's trigger updates
# the database when the package is installed.
install(FILES ${desktop}/tintaro.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# Debian wants manual pages and the changelog compressed, without a time
# stamp in the gzip header so the package is the same at every build.
set(package_docs ${CMAKE_SOURCE_DIR}/data/package)
set(compressed_dir ${CMAKE_BINARY_DIR}/compressed)
set(compressed_files)
foreach(source ${desktop}/tintaro.6 ${desktop}/tromake.6 ${package_docs}/changelog)
  get_filename_component(name ${source} NAME)
  set(target ${compressed_dir}/${name}.gz)
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed_dir}
    COMMAND gzip -9 -n -c ${source} > ${target}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  list(APPEND compressed_files ${target})
endforeach()
add_custom_target(tintaro_compressed_docs ALL DEPENDS ${compressed_files})
install(FILES ${compressed_dir}/tintaro.6.gz ${compressed_dir}/tromake.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${compressed_dir}/changelog.gz ${package_docs}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tintaro)
install(DIRECTORY ${CMAKE_BINARY_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

set(CPACK_PACKAGE_NAME tintaro)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "The Tintaro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "colour puzzle: find the picture hidden in a line drawing")
set(CPACK_PACKAGE_DESCRIPTION
  "Paint the regions of a line drawing red until exactly the hidden picture's\n regions are red. Hints, a clue picture and Crazy and Insane modes; bundled\n puzzles in three tiers and tromake, a tool to build and check puzzles.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tintaro developers <dev@tintaro.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time, so the library scan cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# tromake picture reads WebP (and TIFF) photos through these Qt plugins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
