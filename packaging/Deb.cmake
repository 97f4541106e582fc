# The Debian package: fwhost, the plug-in and the header (installed where they are made), the
# manual page, bash completion, the documentation with the examples. It installs under /usr,
# and the manual page names the files there.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/fwhost)
set(doc_dir_path /usr/${doc_dir})
set(plugin_file
  ${FWPROVIDER_PLUGIN_DIR}/${CMAKE_SHARED_LIBRARY_PREFIX}fwprovider${CMAKE_SHARED_LIBRARY_SUFFIX})
set(plugin_path /usr/${plugin_file})
configure_file(fwhost.h2m.in sections.h2m @ONLY)
add_custom_command(OUTPUT fwhost.1.gz
  COMMAND ${CMAKE_COMMAND} -DFWHOST=$<TARGET_FILE:fwhost> -DVERSION=${PROJECT_VERSION}
    -DEPOCH=${epoch} -DREADME=${PROJECT_SOURCE_DIR}/README.md
    -DINCLUDE=${CMAKE_CURRENT_BINARY_DIR}/sections.h2m
    -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/fwhost.1.gz -P ${CMAKE_CURRENT_SOURCE_DIR}/ManPage.cmake
  DEPENDS fwhost ManPage.cmake ${CMAKE_CURRENT_BINARY_DIR}/sections.h2m
    ${PROJECT_SOURCE_DIR}/README.md
  VERBATIM)
add_custom_target(fwhost-manpage ALL DEPENDS fwhost.1.gz)
set(package_contents fwhost fwprovider fwhost-manpage fwhost-guide)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/fwhost.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

file(STRINGS ${PROJECT_SOURCE_DIR}/provider/fwprovider.h images REGEX "^#define FWPROVIDER_IMAGE_")
string(REGEX REPLACE "#define [A-Z_0-9]+ \"([^\"]*)\"" "\\1" images "${images}")
list(JOIN images " " image_names)
configure_file(fwhost.bash.in fwhost.bash @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/fwhost.bash
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME fwhost)

# Debian wants the changelog and the copyright beside the documentation.
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(TIMESTAMP year "%Y" UTC)
unset(ENV{SOURCE_DATE_EPOCH})
configure_file(changelog.in changelog @ONLY)
configure_file(copyright.in copyright @ONLY)
execute_process(COMMAND gzip -9nc changelog WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
# The package's README is the user's guide, compressed as Debian's policy asks of a document of
# its size; the developer README stays with the sources.
add_custom_command(OUTPUT README.md.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/guide.md > README.md.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide.md VERBATIM)
add_custom_target(fwhost-guide ALL DEPENDS README.md.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.md.gz ${CMAKE_CURRENT_BINARY_DIR}/copyright
  ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})
configure_file(lintian-overrides.in lintian-overrides @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME fwhost)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_CONTACT ${FWHOST_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "fwhost loads a firmware provider plug-in at run time and asks it, for a
drive described in XML or found on this machine, whether an update is
offered; it fetches the firmware packages into a verified plan folder.
The package carries the plug-in, its C header for other hosts, and
example drive descriptions.")
# Strips fwhost alone: the plug-in is installed as a file, the very bytes its hash names.
set(CPACK_STRIP_FILES ON)
