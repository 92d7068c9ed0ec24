# Read after CMake's own Darwin rules: the module is linked by ld64.lld itself, as a Mach-O
# bundle against the static libc++ and the libSystem stubs of the oldest macOS supported. Zig's
# compiler-rt is left out on purpose: it defines memcpy, memset and the maths functions, which
# would replace the system's.
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
string(JOIN " " CMAKE_CXX_CREATE_SHARED_MODULE
  "<CMAKE_LINKER> -arch ${DIALFORGE_MACOS_ARCH}"
  "-platform_version macos ${CMAKE_OSX_DEPLOYMENT_TARGET} ${CMAKE_OSX_DEPLOYMENT_TARGET}"
  "-bundle -dead_strip <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES>"
  "${DIALFORGE_MACOS_RUNTIME}/libc++.a ${DIALFORGE_MACOS_RUNTIME}/libc++abi.a"
  "${DIALFORGE_MACOS_RUNTIME}/libSystem.tbd")
