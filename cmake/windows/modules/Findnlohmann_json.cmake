# The header-only nlohmann_json of the build machine, for the Windows cross build.
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${DIALFORGE_HEADER_ONLY_DIR})
endif()
set(nlohmann_json_FOUND TRUE)
set(nlohmann_json_VERSION 3)
