# Cross-builds the 32-bit Windows module with MinGW-w64:
#   cmake -S . -B build-win32 -G Ninja --toolchain cmake/toolchains/mingw-w64-i686.cmake
# Its programs are built and inspected only: running 32-bit Windows code needs
# a 32-bit Wine, which is not part of this build's requirements.
set(VD_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# 32-bit Wine (Debian's wine32:i386) runs the 32-bit test programs.
find_program(VD_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(VD_WINE32)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VD_WINE32})
endif()
