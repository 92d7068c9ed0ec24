# The universal macOS bundle, cross-built on Linux. CMake builds for one target per build when the
# compiler is not Apple's, so the product is built once per architecture, each a build of this
# project with cmake/macos/toolchain.cmake and without the tools, and lipo joins the two
# executables into one bundle: build-macos/bin/Dialforge.bundle.
include(ExternalProject)

set(architectures x86_64 arm64)
find_program(DIALFORGE_LIPO llvm-lipo-14 REQUIRED)

# Each build first puts the toolchain back if its cache folder was cleared since the builds
# were configured: they name the compilers by path.
set(setup_environment)
if(DIALFORGE_MACOS_CACHE)
  set(setup_environment DIALFORGE_MACOS_CACHE=${DIALFORGE_MACOS_CACHE})
endif()
add_custom_target(dialforge-macos-toolchain
  COMMAND ${CMAKE_COMMAND} -E env ${setup_environment} ${CMAKE_CURRENT_LIST_DIR}/setup-zig
          ${CMAKE_OSX_DEPLOYMENT_TARGET} ${architectures}
  VERBATIM)

set(bundle ${CMAKE_BINARY_DIR}/bin/Dialforge.bundle)
set(thin_executables)
foreach(arch IN LISTS architectures)
  set(thin_bundle ${CMAKE_BINARY_DIR}/${arch}/bin/Dialforge.bundle)
  ExternalProject_Add(dialforge-${arch}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${arch}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_LIST_DIR}/toolchain.cmake
      -DDIALFORGE_MACOS_ARCH=${arch}
      -DDIALFORGE_MACOS_CACHE=${DIALFORGE_MACOS_CACHE}
      -DCMAKE_OSX_DEPLOYMENT_TARGET=${CMAKE_OSX_DEPLOYMENT_TARGET}
      -DCMAKE_BUILD_TYPE=Release
      -DDIALFORGE_TOOLS=OFF
      -DDIALFORGE_WARNINGS_AS_ERRORS=ON
    DEPENDS dialforge-macos-toolchain
    # Its own build decides what is out of date.
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${thin_bundle}/Contents/MacOS/Dialforge ${thin_bundle}/Contents/Info.plist)
  list(APPEND thin_executables ${thin_bundle}/Contents/MacOS/Dialforge)
endforeach()

# Both builds write the same Info.plist; the first one's is taken.
list(GET architectures 0 first)
set(info_plist ${CMAKE_BINARY_DIR}/${first}/bin/Dialforge.bundle/Contents/Info.plist)
add_custom_command(
  OUTPUT ${bundle}/Contents/MacOS/Dialforge ${bundle}/Contents/Info.plist
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}/Contents/MacOS
  COMMAND ${DIALFORGE_LIPO} -create ${thin_executables} -output ${bundle}/Contents/MacOS/Dialforge
  COMMAND ${CMAKE_COMMAND} -E copy ${info_plist} ${bundle}/Contents/Info.plist
  DEPENDS ${thin_executables} ${info_plist}
  COMMENT "Joining x86_64 and arm64 into Dialforge.bundle")
add_custom_target(Dialforge ALL
  DEPENDS ${bundle}/Contents/MacOS/Dialforge ${bundle}/Contents/Info.plist)
foreach(arch IN LISTS architectures)
  add_dependencies(Dialforge dialforge-${arch})
endforeach()

install(DIRECTORY ${bundle} DESTINATION ${DIALFORGE_PLUGIN_DIR} USE_SOURCE_PERMISSIONS)

# The package is the bundle itself at the top of a zip, ready to be copied into the host's
# plug-ins folder.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_VENDOR "Dialforge")
set(CPACK_PACKAGE_FILE_NAME Dialforge-${PROJECT_VERSION}-macOS)
set(CPACK_INSTALL_CMAKE_PROJECTS "")
# The licence and the notices (the bundle holds libc++) lie beside it.
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/notices/LICENSE COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.md
  ${CMAKE_BINARY_DIR}/notices/THIRD-PARTY-NOTICES.md COPYONLY)
set(CPACK_INSTALLED_DIRECTORIES ${CMAKE_BINARY_DIR}/bin . ${CMAKE_BINARY_DIR}/notices .)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
