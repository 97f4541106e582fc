# Cross-builds for Windows x86-64 with Debian's MinGW-w64 and runs what it builds under Wine.
# Boost and the Wine prefix come from scripts/windows-deps.sh, which keeps them in
# ${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix-thread flavour: the win32 one has no std::thread.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(DEFINED ENV{FWPROVIDER_CACHE})
  set(FWPROVIDER_CACHE "$ENV{FWPROVIDER_CACHE}")
else()
  set(FWPROVIDER_CACHE "$ENV{HOME}/.cache/fwprovider")
endif()

# Boost's package files are under stage/ and name the headers beside it.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${FWPROVIDER_CACHE}/boost-mingw/stage")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# That Boost is static and built against the static runtime.
set(Boost_USE_STATIC_LIBS ON)
set(Boost_USE_STATIC_RUNTIME ON)

# Everything links statically (libstdc++, libgcc, winpthread), so the DLL and the test programs
# need nothing beyond Windows' own DLLs, under Wine or on a real machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
# A release DLL ships without its symbol table.
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT -s)

# Wine gives a file the Unix name its Windows name has in the Unix locale's character set; where
# no locale is set, as on a fresh machine, that is ASCII, and the tests' folder names are not.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all "WINEPREFIX=${FWPROVIDER_CACHE}/wine" LC_ALL=C.UTF-8 wine)
