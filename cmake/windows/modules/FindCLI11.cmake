# The header-only CLI11 of the build machine, for the Windows cross build.
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${DIALFORGE_HEADER_ONLY_DIR})
endif()
set(CLI11_FOUND TRUE)
set(CLI11_VERSION 2)
