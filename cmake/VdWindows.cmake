# The Windows module "Vellumdesk.dll", cross-built with MinGW-w64 (toolchain
# files in cmake/toolchains/). The top-level file includes this right after
# project() when building for Windows, and calls vd_windows_module() once the
# module target exists.

# The Linux test suite, benchmarks, fuzzers and the command-line tool rely on
# Linux packages and are not built here; the Windows build has its own tests
# (tests/windows, run under Wine) and host program (tools/windows).
foreach(vd_option VD_BUILD_TESTS VD_BUILD_BENCH VD_BUILD_FUZZ VD_BUILD_CLI)
    set(${vd_option} OFF CACHE BOOL "Not part of the Windows build" FORCE)
endforeach()
option(VD_BUILD_WINDOWS_TESTS "Build the Windows tests and the host program" ON)
set(VD_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH
    "Wine prefix in which the tests run (created on first use; throw-away)")

# No MinGW runtime DLLs (libgcc, libstdc++, winpthread) beside the module or
# the test programs: the runtime is linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
# <windows.h> without the min/max macros that collide with std::min/std::max.
add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601)
# GCC 12 reports impossible overlapping copies inside the MinGW libstdc++'s
# inlined std::string code at -O3 (-Wrestrict, a known false positive).
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)

# SQLite: Debian has no MinGW build of it, so the module compiles SQLite's
# amalgamation in. tools/windows/fetch-sqlite.sh fetches one pinned version at
# configure time into the build folder and checks its SHA-256; or it is taken
# from VD_SQLITE_AMALGAMATION_DIR. It is never part of the repository.
set(VD_SQLITE_AMALGAMATION_DIR "" CACHE PATH
    "Folder holding SQLite's sqlite3.c and sqlite3.h (empty: fetch the pinned version)")
if(VD_SQLITE_AMALGAMATION_DIR)
    # A folder of the user's: checked, never written.
    set(vd_sqlite_dir "${VD_SQLITE_AMALGAMATION_DIR}")
    set(vd_fetch_mode --check)
else()
    set(vd_sqlite_dir "${CMAKE_BINARY_DIR}/_deps/sqlite3")
    set(vd_fetch_mode)
endif()
# Fetches the pinned version when the build folder has none; checks the
# pinned digests of what is there.
execute_process(
    COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/../tools/windows/fetch-sqlite.sh" ${vd_fetch_mode}
            "${vd_sqlite_dir}"
    RESULT_VARIABLE vd_fetch_result)
if(NOT vd_fetch_result EQUAL 0)
    message(FATAL_ERROR "SQLite's amalgamation in ${vd_sqlite_dir} is missing or is not the "
                        "pinned version (tools/windows/fetch-sqlite.sh said why above); install "
                        "npm (tools/install-windows-deps.sh), or give VD_SQLITE_AMALGAMATION_DIR "
                        "a folder with the pinned sqlite3.c and sqlite3.h")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${CMAKE_CURRENT_LIST_DIR}/../tools/windows/fetch-sqlite.sh")
add_library(vd_sqlite3 STATIC "${vd_sqlite_dir}/sqlite3.c")
target_include_directories(vd_sqlite3 SYSTEM PUBLIC "${vd_sqlite_dir}")
# The library only reads databases, from one thread at a time.
target_compile_definitions(vd_sqlite3 PRIVATE
    SQLITE_DQS=0 SQLITE_DEFAULT_MEMSTATUS=0 SQLITE_OMIT_LOAD_EXTENSION SQLITE_OMIT_DEPRECATED
    SQLITE_OMIT_SHARED_CACHE SQLITE_USE_URI=0)
# -O2 rather than the build type's -O3: half the compile time of this one
# large file, and the library's queries are small.
target_compile_options(vd_sqlite3 PRIVATE -w -O2)
# The subsystems ask for SQLite with find_package(SQLite3) and link
# SQLite::SQLite3; cmake/windows/FindSQLite3.cmake answers with this target.
add_library(SQLite::SQLite3 ALIAS vd_sqlite3)
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/windows")

# vd_windows_module(TARGET): the module's file name, its export table (the
# .def file: the four operations by their plain names and nothing else), its
# import library and the system libraries it calls.
function(vd_windows_module target)
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME Vellumdesk PREFIX "" IMPORT_PREFIX ""
        RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}"
        ARCHIVE_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}")
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # The .def names the decorated __stdcall symbols (name@bytes) and
        # --kill-at exports them by their plain names. The linker's own import
        # library would then hold the plain names only, which a host compiled
        # with the header's __stdcall cannot link against; dlltool -k makes one
        # whose decorated symbols import the plain names, and it replaces the
        # linker's.
        set(def "${PROJECT_SOURCE_DIR}/frame/Vellumdesk-x86.def")
        find_program(VD_DLLTOOL NAMES ${CMAKE_DLLTOOL} ${VD_MINGW_TRIPLET}-dlltool REQUIRED)
        target_sources(${target} PRIVATE "${def}")
        target_link_options(${target} PRIVATE "LINKER:--kill-at")
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${VD_DLLTOOL} -k -d "${def}" -D Vellumdesk.dll
                    -l "$<TARGET_LINKER_FILE:${target}>"
            COMMENT "Import library of the 32-bit module (decorated names)")
    else()
        target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/frame/Vellumdesk.def")
    endif()
    target_link_libraries(${target} PRIVATE user32 kernel32)
endfunction()
