# Cross-builds for 64-bit Windows with Debian's MinGW-w64, in its POSIX-threads flavour: the
# win32 flavour of GCC 12 has no std::thread, std::mutex or std::condition_variable.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=packaging/windows/mingw-w64-x86_64.cmake \
#         -DCMAKE_PREFIX_PATH=$PWD/build-windows/deps
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Headers, libraries and packages come from the cross prefixes alone, never from the host's
# /usr: Debian's MinGW-w64 one (zlib) and each prefix handed in CMAKE_PREFIX_PATH, which has to
# be a root itself, or CMake would look for it under the other roots. Programs (nasm, Wine) are
# the host's.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# What is built here ships alone, beside nothing but Windows' own DLLs: the GCC, C++ and
# threads runtimes go into each program, and zlib is taken as libz.a, not as the import
# library of a zlib1.dll that FindZLIB would otherwise prefer. The window program is the
# exception (VARNELLO_SHARED_RUNTIME): it shares the runtime DLLs of the Qt DLLs it loads, so
# that one C++ runtime serves both.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VARNELLO_SHARED_RUNTIME)
if(NOT VARNELLO_SHARED_RUNTIME)
    set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()
set(ZLIB_USE_STATIC_LIBS ON)

# Tests and try_run() run the programs under Wine, headless, in a prefix of the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-in-wine.sh)
