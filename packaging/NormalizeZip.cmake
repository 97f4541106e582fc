# Run by CPack after it packed the zip: the owners and local times that CPack records for each
# member become root and the commit's time, so that any builder makes the same bytes.
set(ENV{TZ} UTC)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND strip-nondeterminism --type zip --timestamp $ENV{SOURCE_DATE_EPOCH}
    ${package} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
