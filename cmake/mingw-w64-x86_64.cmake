# Cross-compiles for 64-bit Windows on Debian with MinGW-w64:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# (`make windows` does this.) The posix-threads variant of the compiler: the
# win32-threads one has no std::mutex or std::thread, which the framework
# and the engine need.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTHORN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTHORN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTHORN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTHORN_MINGW_TRIPLET}-windres)

# Libraries and headers only from the MinGW-w64 tree, programs from the
# build machine (juceaide, the framework's code generator, is a Linux program).
set(CMAKE_FIND_ROOT_PATH /usr/${VELTHORN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The framework's CMake package is Debian's, outside the MinGW-w64 tree, so
# the rules above would hide it: name it.
file(GLOB VELTHORN_JUCE_PACKAGE_DIRS /usr/lib/*/cmake/JUCE-7* /usr/lib/cmake/JUCE-7*)
if(VELTHORN_JUCE_PACKAGE_DIRS)
    list(SORT VELTHORN_JUCE_PACKAGE_DIRS)
    list(GET VELTHORN_JUCE_PACKAGE_DIRS -1 VELTHORN_JUCE_PACKAGE_DIR)
    set(JUCE_DIR "${VELTHORN_JUCE_PACKAGE_DIR}" CACHE PATH "Debian's JUCE CMake package")
endif()

# pkg-config would answer with the build machine's Linux libraries and the
# link would quietly pick them up; a Windows build uses none of them.
set(CMAKE_DISABLE_FIND_PACKAGE_PkgConfig TRUE)

# The C and C++ runtimes and the threads library linked in, so no MinGW DLL
# has to travel with the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
