# Cross-builds the 64-bit Windows module with MinGW-w64:
#   cmake -S . -B build-win64 -G Ninja --toolchain cmake/toolchains/mingw-w64-x86_64.cmake
# Test programs run under 64-bit Wine when it is installed.
set(VD_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

find_program(VD_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT VD_WINE64)
    find_program(VD_WINE64 NAMES wine64)
endif()
if(VD_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VD_WINE64})
endif()
