# Cross-builds the 32-bit Windows module with MinGW-w64:
#   cmake -S . -B build-win32 -G Ninja --toolchain cmake/toolchains/mingw-w64-i686.cmake
# Its programs are built and inspected only: running 32-bit Windows code needs
# a 32-bit Wine, which is not part of this build's requirements.
set(VD_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
