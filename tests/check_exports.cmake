# Fails unless the plug-in exports exactly the three functions. An ELF plug-in is read from its
# dynamic symbol table with nm; a DLL (OBJDUMP given) from its export table, and its import
# table must name only DLLs that every Windows has, so that it loads with nothing beside it.
# IMPORTS_ONLY checks just the imports, of a program as of a DLL.
set(expected GetFirmwareConfigurationAttributes GetTargetFirmwareBinary GetTargetFirmwareMappingAttributes)

if(OBJDUMP)
  execute_process(COMMAND ${OBJDUMP} -p ${PLUGIN} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${PLUGIN}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
  list(TRANSFORM imports REPLACE "^DLL Name: " "")
  foreach(import IN LISTS imports)
    string(TOLOWER "${import}" import)
    if(NOT import MATCHES "^(kernel32|msvcrt|advapi32|ws2_32|mswsock|user32|shell32|ole32|bcrypt)\\.dll$")
      message(FATAL_ERROR "imports ${import}, which Windows does not provide; imports: ${imports}")
    endif()
  endforeach()
  if(IMPORTS_ONLY)
    return()
  endif()

  string(REGEX MATCH "Export Address Table[ \t]+[0-9a-f]+" addresses "${table}")
  # One line per name, "\t[   0] Name", after the table's heading.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(\t[^\n]+\n)*" exports "${table}")
  string(REGEX MATCHALL "\t[^\n]+" names "${exports}")
  list(TRANSFORM names REPLACE "^.* " "")
  if(NOT addresses MATCHES "[ \t]0*3$")
    message(FATAL_ERROR "export address table: '${addresses}'; expected exactly three entries")
  endif()
else()
  execute_process(COMMAND nm -D --defined-only ${PLUGIN} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "nm could not read ${PLUGIN}")
  endif()
  string(REGEX MATCHALL "[^ \n]+\n" names "${table}")
  list(TRANSFORM names STRIP)
endif()

list(SORT names)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}; expected exactly: ${expected}")
endif()
