# What "cmake --install" puts where, and the packages cpack makes of it on Linux: a TGZ of the
# installed tree and a DEB (dialforge) installing into /usr. The version is project(VERSION)'s.
include_guard(GLOBAL)

set(DIALFORGE_PACKAGE_CONTACT "Dialforge maintainers <maintainers@users.noreply.c-seed-66c711e2.example>"
    CACHE STRING "Who answers for the packages (the DEB's Maintainer)")
set(DIALFORGE_HOMEPAGE "https://c-seed-66c711e2.example/dialforge" CACHE STRING
    "The project's home page, named in the packages")

if(DIALFORGE_TOOLS)
  install(TARGETS dialforge-host dialforge-client RUNTIME DESTINATION bin)
  # The client packages, as sources for companion developers to install, read and copy.
  install(DIRECTORY clients/ DESTINATION share/dialforge/clients
    PATTERN "__pycache__" EXCLUDE PATTERN "node_modules" EXCLUDE PATTERN "*.egg-info" EXCLUDE
    PATTERN "build" EXCLUDE)
endif()
install(TARGETS Dialforge LIBRARY DESTINATION ${DIALFORGE_PLUGIN_DIR})

set(doc_dir share/doc/dialforge)
install(FILES README.md CHANGELOG.md LICENSE THIRD-PARTY-NOTICES.md DESTINATION ${doc_dir})
# Beside the README, so that its links to docs/ still lead somewhere.
install(DIRECTORY docs/ DESTINATION ${doc_dir}/docs)
if(NOT WIN32)
  # Debian keeps a package's licence in its copyright file: machine-readable, SPDX names.
  install(FILES cmake/debian-copyright DESTINATION ${doc_dir} RENAME copyright)
endif()

set(CPACK_PACKAGE_VENDOR "Dialforge")
set(CPACK_PACKAGE_CONTACT "${DIALFORGE_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${DIALFORGE_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Dialforge controller plug-in for a video-editing host, with a simulated host and clients")
set(CPACK_PACKAGE_DESCRIPTION
    "The control-surface plug-in that lets the Dialforge controller's companion application \
drive a video-editing host over a local TCP connection (Dialforge.so), with dialforge-host, \
which runs the plug-in in a simulated host with a sample project, dialforge-client, which \
sends requests to it, and the client packages for companion applications, a Node.js package \
and a Python package, and a control panel in the browser, in /usr/share/dialforge/clients.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  # Dialforge-<version>-Windows.zip
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME Windows)
else()
  set(CPACK_GENERATOR TGZ)
  find_program(DIALFORGE_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(DIALFORGE_DPKG_SHLIBDEPS)
    list(APPEND CPACK_GENERATOR DEB)
  endif()
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3)
set(CPACK_RPM_PACKAGE_LICENSE Apache-2.0)
include(CPack)
