# The protections a distribution builds every package it ships with, for every target of a build
# that ships. tests/check_protections.sh reads them back from the built plug-in and fwhost.
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)

if(MINGW)
  # The driver then links libssp, which both the stack protector and FORTIFY's checked calls
  # need, statically like the rest.
  add_link_options(-fstack-protector-strong)
  # mingw-w64's headers know no level above 2.
  add_compile_definitions(_FORTIFY_SOURCE=2)
  # Left out: -fstack-clash-protection, which Windows needs no flag for (every frame or alloca
  # larger than a page is probed by ___chkstk_ms) and with which GCC 12 for Windows crashes on
  # such a frame; and -fcf-protection, since the PE linker cannot mark an image as CET-enabled.
  # The linker sets these three by default; written out so that no default can drop them.
  add_link_options("LINKER:--dynamicbase,--high-entropy-va,--nxcompat")
else()
  add_compile_options(-fstack-clash-protection -fcf-protection)
  add_compile_definitions(_FORTIFY_SOURCE=3)
  add_link_options("LINKER:-z,relro,-z,now,-z,noexecstack")
  # Without it CMake links programs with the compiler's default, whatever
  # CMAKE_POSITION_INDEPENDENT_CODE says; with it, with -pie.
  include(CheckPIESupported)
  check_pie_supported()
endif()
