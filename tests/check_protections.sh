#!/usr/bin/env bash
# Usage: tests/check_protections.sh PLUGIN PROGRAM [OBJDUMP]
# Fails, naming each protection it misses, unless the plug-in and fwhost carry what
# cmake/Hardening.cmake builds them with. ELF files are judged by hardening-check (devscripts) and
# readelf; PE files (OBJDUMP given: the target's objdump) by their header and code.
set -uo pipefail
plugin=$1
program=$2
objdump=${3:-}
status=0

missing() {
  echo "$1: missing $2" >&2
  status=1
}

# hardening-check judges the stack protector, FORTIFY, RELRO, BIND_NOW and PIE; its report names
# every miss, and stays in $report for the checks it only reports on.
hardened() {
  local file=$1
  shift
  report=$(hardening-check "$@" "$file") || {
    echo "$report" >&2
    status=1
  }
}

elf() {
  local file=$1 entry=$2 first
  readelf -lW "$file" | awk '$1 == "GNU_STACK" && $7 == "RW" { found = 1 } END { exit !found }' ||
    missing "$file" "a stack that cannot execute (-z noexecstack)"
  # Debian 12's C library links into every file startup objects without the CET mark, which takes
  # the mark off the whole file, so -fcf-protection is seen where it acts: an exported function
  # starts with endbr64.
  first=$(objdump -d --no-show-raw-insn --disassemble="$entry" "$file" |
    awk '/^ +[0-9a-f]+:/ { print $2; exit }')
  [ "$first" = endbr64 ] || missing "$file" "endbr64 at the start of $entry (-fcf-protection)"
}

pe() {
  local file=$1 headers flag
  headers=$("$objdump" -p "$file")
  for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -qw "$flag" <<<"$headers" || missing "$file" "$flag in the PE header"
  done
}

if [ -z "$objdump" ]; then
  # FORTIFY and stack clash probes show only where code copies into an object of known size or
  # keeps a frame larger than a page. The plug-in has neither (every copy goes into the host's
  # buffer, whose size it checks itself); fwhost, built with the same flags, has both.
  hardened "$plugin" --nocfprotection --nofortify
  elf "$plugin" GetTargetFirmwareMappingAttributes
  hardened "$program" --nocfprotection
  grep -q "Stack clash protection: yes" <<<"$report" ||
    missing "$program" "stack clash probes (-fstack-clash-protection)"
  elf "$program" main
else
  pe "$plugin"
  pe "$program"
  # The DLL ships without names; the stack protector's handler from libssp, which a static link
  # takes only for code that calls it, is known by its message.
  grep -qaF "*** stack smashing detected ***" "$plugin" ||
    missing "$plugin" "the stack protector (libssp's handler)"
  code=$("$objdump" -d "$program")
  # libssp's own __stack_chk_fail_local calls it too, whatever the flags.
  awk '/^[0-9a-f]+ </ { caller = $2 }
    /call .*<__stack_chk_fail>/ && caller != "<__stack_chk_fail_local>:" { found = 1 }
    END { exit !found }' <<<"$code" ||
    missing "$program" "the stack protector (no call to __stack_chk_fail)"
  grep -qE "call .*<__[a-z]+_chk>" <<<"$code" ||
    missing "$program" "FORTIFY's checked calls (_FORTIFY_SOURCE)"
fi
exit $status
