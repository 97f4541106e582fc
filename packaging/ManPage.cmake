# cmake -DFWHOST=... -DVERSION=... -DEPOCH=... -DREADME=... -DINCLUDE=... -DOUTPUT=...
#   -P ManPage.cmake
# Writes fwhost.1.gz with help2man: the page of fwhost's own --help, a COMMANDS section made of
# each command's --help, the write guarantees taken from README.md and the sections in INCLUDE.
# Generated from the help, the page cannot fall behind the program.
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
set(ENV{LC_ALL} C)

function(run output)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command}: ${failed}")
  endif()
  set(${output} "${text}" PARENT_SCOPE)
endfunction()

function(page_of output)
  run(page help2man --no-info --version-string=${VERSION} ${ARGN} ${FWHOST})
  set(${output} "${page}" PARENT_SCOPE)
endfunction()

# The text as roff shows it: a backslash and a hyphen are control characters there.
function(roff_escape variable)
  string(REPLACE "\\" "\\e" text "${${variable}}")
  string(REPLACE "-" "\\-" text "${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# The commands, as the "Subcommands:" list of fwhost --help names them.
run(help ${FWHOST} --help)
if(NOT help MATCHES "\nSubcommands:\n(.*)")
  message(FATAL_ERROR "fwhost --help lists no Subcommands")
endif()
string(REGEX REPLACE "\n\n.*" "" listing "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "(^|\n)  [a-z]+" commands "${listing}")

# Each command's page without its title and NAME.
set(section "[COMMANDS]\n")
foreach(command IN LISTS commands)
  string(STRIP "${command}" command)
  page_of(page "--help-option=${command} --help")
  string(REGEX MATCH "\n\\.SH SYNOPSIS\n(.*)\n\\.SH DESCRIPTION\n(.*)" found "${page}")
  if(NOT found)
    message(FATAL_ERROR "help2man made no synopsis or description of fwhost ${command}")
  endif()
  set(synopsis "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "\n(\\.SH OPTIONS|\\.SS \"Positionals:\")" "" body "${CMAKE_MATCH_2}")
  string(APPEND section ".SS ${command}\n${synopsis}\n.PP\n${body}\n")
endforeach()

# The write guarantees: the bullets under README's heading, with code spans in bold.
file(READ ${README} readme)
if(NOT readme MATCHES "\n### What fwhost guarantees about writes\n\n(.*)")
  message(FATAL_ERROR "${README} has no section on the write guarantees")
endif()
string(REGEX REPLACE "\n\n.*" "" bullets "${CMAKE_MATCH_1}")
roff_escape(bullets)
string(REGEX REPLACE "`([^`]*)`" "\\\\fB\\1\\\\fR" bullets "${bullets}")
string(REGEX REPLACE "\n  " " " bullets "${bullets}")
string(REGEX REPLACE "(^|\n)\\\\- " "\\1.IP \\\\(bu 2\n" bullets "${bullets}")
# After the verdicts and attributes of INCLUDE: what an operator reads first comes first.
set(closing "[WRITING FILES]\n${bullets}\n")

# EXIT STATUS: the exit codes of fwhost --help, one item each, taken out of its OPTIONS.
if(NOT help MATCHES "\nExit codes:\n(.*)")
  message(FATAL_ERROR "fwhost --help lists no Exit codes")
endif()
string(REGEX REPLACE "\n\n.*" "" codes "${CMAKE_MATCH_1}")
roff_escape(codes)
string(REGEX REPLACE "\n      *" " " codes "${codes}")
string(REGEX REPLACE "(^|\n)  ([^ ]+)  +" "\\1.TP\n.B \\2\n" codes "${codes}")
string(APPEND closing "[EXIT STATUS]\n${codes}\n")

file(READ ${INCLUDE} sections)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(WRITE ${folder}/fwhost.h2m "${section}${sections}${closing}")
page_of(page --include=${folder}/fwhost.h2m
  "--name=ask a firmware provider plug-in about drives and fetch its images")
string(REGEX REPLACE "\n\\.SS \"Exit codes:\"\n[^\n]*(\n[^.][^\n]*|\n\\.(br|TP|PP|IP)[^\n]*)*" "" page "${page}")
file(WRITE ${folder}/fwhost.1 "${page}")
execute_process(COMMAND gzip -9nc ${folder}/fwhost.1 OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${folder}/fwhost.1: ${failed}")
endif()
