# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DBRIMZO_WINDOWS_PREFIX=DIR
# DIR holds the libraries built for Windows by tools/windows.sh (SDL, SDL_image, SDL_ttf,
# SDL_mixer, FreeType, libpng, zlib); the tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRIMZO_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRIMZO_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRIMZO_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${BRIMZO_HOST}-windres)

if(NOT BRIMZO_WINDOWS_PREFIX AND DEFINED ENV{BRIMZO_WINDOWS_PREFIX})
  set(BRIMZO_WINDOWS_PREFIX "$ENV{BRIMZO_WINDOWS_PREFIX}")
endif()
if(NOT BRIMZO_WINDOWS_PREFIX)
  message(FATAL_ERROR "BRIMZO_WINDOWS_PREFIX: the folder of the Windows libraries (tools/windows.sh)")
endif()
# try_compile projects read this file again: hand the prefix on to them.
set(ENV{BRIMZO_WINDOWS_PREFIX} "${BRIMZO_WINDOWS_PREFIX}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRIMZO_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${BRIMZO_HOST} "${BRIMZO_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees only the Windows libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${BRIMZO_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Test programs run under Wine, each run in a fresh prefix of its own.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine_run.sh")
