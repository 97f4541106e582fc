# The zip: fwhost.exe, the DLL, the header, the user's guide as README.md, the example drives and
# their SHA256SUMS, in one folder.
# Its bytes must not depend on when it was built, so fwhost.exe, like the DLL, carries no link time.
target_link_options(fwhost PRIVATE "LINKER:--no-insert-timestamp")

# Flat, so that fwhost.exe finds the DLL beside itself wherever the zip is unpacked.
# fwhost.exe without its debug sections, as the Linux fwhost ships stripped; signed with the
# owner's certificate when one is given (-DFWHOST_SIGNING_CERT=FILE -DFWHOST_SIGNING_KEY=FILE).
set(shipped_fwhost ${CMAKE_CURRENT_BINARY_DIR}/zip/fwhost.exe)
set(sign_command "")
if(FWHOST_SIGNING_CERT)
  set(sign_command
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/sign-windows.sh ${shipped_fwhost} ${shipped_fwhost}.signed
      ${FWHOST_SIGNING_CERT} ${FWHOST_SIGNING_KEY}
    COMMAND ${CMAKE_COMMAND} -E rename ${shipped_fwhost}.signed ${shipped_fwhost})
endif()
add_custom_command(OUTPUT ${shipped_fwhost}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/zip
  # strip stamps a PE file with the time it runs unless SOURCE_DATE_EPOCH names one: 0, as the
  # linker left it.
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
    ${CMAKE_STRIP} --strip-debug -o ${shipped_fwhost} $<TARGET_FILE:fwhost>
  ${sign_command}
  DEPENDS fwhost VERBATIM)

configure_file(${PROJECT_SOURCE_DIR}/docs/guide.md README.md COPYONLY)
set(zip_files ${shipped_fwhost} $<TARGET_FILE:fwprovider>
  ${PROJECT_SOURCE_DIR}/provider/fwprovider.h ${CMAKE_CURRENT_BINARY_DIR}/README.md)
file(GLOB examples ${PROJECT_SOURCE_DIR}/examples/*)
add_custom_command(OUTPUT SHA256SUMS
  COMMAND ${CMAKE_COMMAND} "-DFILES=${zip_files}" "-DEXAMPLES=${examples}" -DOUTPUT=SHA256SUMS
    -P ${CMAKE_CURRENT_SOURCE_DIR}/Sha256Sums.cmake
  DEPENDS fwhost fwprovider ${zip_files} ${examples} Sha256Sums.cmake VERBATIM)
add_custom_target(fwhost-sha256sums ALL DEPENDS SHA256SUMS)
set(package_contents fwhost fwprovider fwhost-sha256sums)
install(FILES ${zip_files} ${CMAKE_CURRENT_BINARY_DIR}/SHA256SUMS
  DESTINATION . COMPONENT zip EXCLUDE_FROM_ALL)
install(FILES ${examples} DESTINATION examples COMPONENT zip EXCLUDE_FROM_ALL)
set(CPACK_GENERATOR ZIP)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL zip)
set(CPACK_PACKAGE_FILE_NAME fwhost-${PROJECT_VERSION}-win64)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/NormalizeZip.cmake)

