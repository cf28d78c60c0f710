# Keeps the version macros of include/vellumdesk.h equal to the project's
# version: the lines between "BEGIN VERSION" and "END VERSION" are written
# from PROJECT_VERSION. The file is rewritten only when they differ, so a
# source tree whose header is up to date (every committed one) is only read.
set(vd_header "${PROJECT_SOURCE_DIR}/include/vellumdesk.h")
file(READ "${vd_header}" vd_text)
set(vd_block "/* BEGIN VERSION */
#define VELLUMDESK_VERSION_MAJOR ${PROJECT_VERSION_MAJOR}
#define VELLUMDESK_VERSION_MINOR ${PROJECT_VERSION_MINOR}
#define VELLUMDESK_VERSION_PATCH ${PROJECT_VERSION_PATCH}
#define VELLUMDESK_VERSION_STRING \"${PROJECT_VERSION}\"
/* END VERSION */")
string(REGEX REPLACE "/\\* BEGIN VERSION \\*/.*/\\* END VERSION \\*/" "${vd_block}" vd_new "${vd_text}")
if(NOT vd_new STREQUAL vd_text)
    message(STATUS "Writing version ${PROJECT_VERSION} into ${vd_header}")
    file(WRITE "${vd_header}" "${vd_new}")
endif()
