# Cross-compiles the product for one macOS architecture on Linux: zig's clang compiles against
# its own macOS headers and libc++, and LLVM's ld64.lld links the bundle, which zig's linker
# cannot make. cmake/macos/setup-zig puts zig and the runtime archives into a cache folder.
#
# DIALFORGE_MACOS_ARCH: x86_64 or arm64.
# CMAKE_OSX_DEPLOYMENT_TARGET: the oldest macOS the module runs on.
# DIALFORGE_MACOS_CACHE: the cache folder (default ${XDG_CACHE_HOME:-$HOME/.cache}/dialforge-macos).
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR ${DIALFORGE_MACOS_ARCH})
if(NOT DIALFORGE_MACOS_ARCH MATCHES "^(x86_64|arm64)$")
  message(FATAL_ERROR "DIALFORGE_MACOS_ARCH must be x86_64 or arm64, not '${DIALFORGE_MACOS_ARCH}'")
endif()
if(NOT CMAKE_OSX_DEPLOYMENT_TARGET)
  set(CMAKE_OSX_DEPLOYMENT_TARGET 11.0)
endif()
# try_compile reads this file again and needs the same choices.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DIALFORGE_MACOS_ARCH DIALFORGE_MACOS_CACHE)

set(setup_environment)
if(DIALFORGE_MACOS_CACHE)
  set(setup_environment DIALFORGE_MACOS_CACHE=${DIALFORGE_MACOS_CACHE})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ${setup_environment}
          ${CMAKE_CURRENT_LIST_DIR}/setup-zig ${CMAKE_OSX_DEPLOYMENT_TARGET} ${DIALFORGE_MACOS_ARCH}
  OUTPUT_VARIABLE zig_home
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE setup_failed)
if(setup_failed)
  message(FATAL_ERROR "cmake/macos/setup-zig failed: the macOS toolchain is not available")
endif()
set(DIALFORGE_MACOS_RUNTIME
    ${zig_home}/runtime/macos${CMAKE_OSX_DEPLOYMENT_TARGET}-${DIALFORGE_MACOS_ARCH})

set(CMAKE_C_COMPILER ${zig_home}/bin/zig-cc)
set(CMAKE_CXX_COMPILER ${zig_home}/bin/zig-c++)
if(DIALFORGE_MACOS_ARCH STREQUAL "arm64")
  set(zig_target aarch64-macos.${CMAKE_OSX_DEPLOYMENT_TARGET})
else()
  set(zig_target x86_64-macos.${CMAKE_OSX_DEPLOYMENT_TARGET})
endif()
set(CMAKE_C_FLAGS_INIT "-target ${zig_target}")
set(CMAKE_CXX_FLAGS_INIT "-target ${zig_target}")

find_program(CMAKE_LINKER ld64.lld-14 REQUIRED)
find_program(CMAKE_AR llvm-ar-14 REQUIRED)
find_program(CMAKE_RANLIB llvm-ranlib-14 REQUIRED)
# The checks compile only: linking a test program would need the bundle's own link rule.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/link-rules.cmake)

# Nothing of the Linux machine may end up in the module.
set(CMAKE_FIND_ROOT_PATH ${DIALFORGE_MACOS_RUNTIME})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
