# CLI11 and nlohmann-json for a cross build: both are header-only, so the Debian packages'
# headers serve any target. Only those two trees reach the compiler, through a folder of links,
# so that no header of the build machine's own system can stand in for the target's.
set(FWPROVIDER_HEADER_ONLY_ROOT /usr/include CACHE PATH
    "Folder holding the CLI and nlohmann header trees")
set(header_only_dir ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${header_only_dir})
foreach(tree CLI nlohmann)
  if(NOT EXISTS ${FWPROVIDER_HEADER_ONLY_ROOT}/${tree})
    message(FATAL_ERROR "${FWPROVIDER_HEADER_ONLY_ROOT}/${tree} is missing; scripts/setup.sh installs it")
  endif()
  file(CREATE_LINK ${FWPROVIDER_HEADER_ONLY_ROOT}/${tree} ${header_only_dir}/${tree} SYMBOLIC)
endforeach()
# Named as the packages' own configuration files name them.
foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${header_only_dir})
endforeach()
