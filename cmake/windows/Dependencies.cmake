# What the Windows cross build takes from the build machine: GoogleTest compiled from Debian's
# sources, and the header-only libraries the tools use, seen through a folder of their own so that
# the Linux system headers beside them never reach the Windows compiler.
if(BUILD_TESTING OR NOT DEFINED BUILD_TESTING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

set(DIALFORGE_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${DIALFORGE_HEADER_ONLY_DIR})
foreach(folder CLI nlohmann)
  if(NOT EXISTS ${DIALFORGE_HEADER_ONLY_DIR}/${folder})
    file(CREATE_LINK /usr/include/${folder} ${DIALFORGE_HEADER_ONLY_DIR}/${folder} SYMBOLIC)
  endif()
endforeach()

# find_package() looks here first: these modules name the targets made above.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/modules)
