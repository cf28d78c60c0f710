# find_package(SQLite3) in the Windows build: SQLite is compiled into the
# module from its amalgamation (cmake/VdWindows.cmake defines SQLite::SQLite3),
# so this finds that target instead of a system library.
if(NOT TARGET SQLite::SQLite3)
    message(FATAL_ERROR "SQLite::SQLite3 must be defined before find_package(SQLite3)")
endif()
get_target_property(SQLite3_INCLUDE_DIRS vd_sqlite3 INTERFACE_INCLUDE_DIRECTORIES)
set(SQLite3_INCLUDE_DIR "${SQLite3_INCLUDE_DIRS}")
set(SQLite3_LIBRARIES SQLite::SQLite3)
set(SQLite3_LIBRARY SQLite::SQLite3)
file(STRINGS "${SQLite3_INCLUDE_DIRS}/sqlite3.h" vd_sqlite_version_line
     REGEX "^#define SQLITE_VERSION +\"[^\"]*\"")
string(REGEX REPLACE ".*\"([^\"]*)\".*" "\\1" SQLite3_VERSION "${vd_sqlite_version_line}")
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(SQLite3
    REQUIRED_VARS SQLite3_INCLUDE_DIR SQLite3_LIBRARIES VERSION_VAR SQLite3_VERSION)
