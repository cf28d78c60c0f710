# Shared part of the MinGW-w64 toolchains. The including file sets
# VD_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# Debian ships two thread flavours of each compiler; the "-win32" one needs no
# winpthread DLL beside the module. Fall back to the plain names elsewhere.
foreach(lang_tool C:gcc CXX:g++)
    string(REPLACE ":" ";" pair "${lang_tool}")
    list(GET pair 0 lang)
    list(GET pair 1 tool)
    find_program(VD_MINGW_${lang}_COMPILER NAMES ${VD_MINGW_TRIPLET}-${tool}-win32
                                                  ${VD_MINGW_TRIPLET}-${tool})
    if(NOT VD_MINGW_${lang}_COMPILER)
        message(FATAL_ERROR "${VD_MINGW_TRIPLET}-${tool} not found "
                            "(tools/install-windows-deps.sh installs it)")
    endif()
    set(CMAKE_${lang}_COMPILER ${VD_MINGW_${lang}_COMPILER})
endforeach()
set(CMAKE_RC_COMPILER ${VD_MINGW_TRIPLET}-windres)

# Look for libraries and headers only in the MinGW sysroot, programs on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VD_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must not offer the build machine's Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${VD_MINGW_TRIPLET}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
