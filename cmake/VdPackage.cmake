# Release packages with CPack: on Linux a .tar.gz (the installed tree, to be
# unpacked anywhere) and a .deb whose dependencies dpkg-shlibdeps computes
# from the binaries. Configure with -DCMAKE_INSTALL_PREFIX=/usr for a .deb,
# so that the library goes into the multiarch folder (lib/<triplet>).
# The Windows release is a .zip made by tools/windows/package-zip.sh.
if(WIN32)
    return()
endif()

# The licence in Debian's machine-readable form: the MIT text, every line
# indented by one space, blank lines as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE vd_license)
string(REGEX REPLACE "^MIT License\n\nCopyright[^\n]*\n\n" "" vd_license "${vd_license}")
string(REGEX REPLACE "\n$" "" vd_license "${vd_license}")
string(REPLACE "\n\n" "\n.\n" vd_license "${vd_license}")
string(REPLACE "\n" "\n " VD_LICENSE_BODY " ${vd_license}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR "TGZ;DEB")
set(CPACK_PACKAGE_NAME vellumdesk)
set(CPACK_PACKAGE_VENDOR "the Vellumdesk tools library authors")
set(CPACK_PACKAGE_CONTACT "the Vellumdesk tools library authors <vellumdesk@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "help publishing library: hypergraphics, bitmaps and navigation files")
set(CPACK_PACKAGE_DESCRIPTION
    "A shared library of four C operations that a help-authoring host calls
while it publishes help material as HTML: segmented hypergraphics become GIF
pictures with HTML image maps, BMP/DIB bitmaps become GIFs, and contents
outlines and category lists are compiled into their navigation files. The
package holds the library, its header, CMake and pkg-config files, and the
vellumdesk command-line tool with its manual page.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

set(CPACK_SOURCE_GENERATOR "")
include(CPack)
