# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model,
# so std::thread and std::mutex work). GH_WIN_PREFIX is the folder holding the
# cross-built libraries (SDL2 and friends); tools/windows.sh passes it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GH_WIN_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GH_WIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GH_WIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GH_WIN_TRIPLE}-windres)
set(CMAKE_AR ${GH_WIN_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${GH_WIN_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Try-compiles see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GH_WIN_PREFIX)
if(NOT GH_WIN_PREFIX AND DEFINED ENV{GH_WIN_PREFIX})
  set(GH_WIN_PREFIX $ENV{GH_WIN_PREFIX})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${GH_WIN_TRIPLE} ${GH_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers from the cross-built libraries only, never the build
# machine's.
if(GH_WIN_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${GH_WIN_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# The compiler's own runtime (libgcc, libstdc++, winpthread) is linked into
# every program and library, so a clean Windows needs none of MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests and tools run under Wine.
find_program(GH_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(GH_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GH_WINE64})
endif()
