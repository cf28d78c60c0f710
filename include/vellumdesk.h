/*
 * vellumdesk.h - public interface of the Vellumdesk tools library.
 *
 * The library is called by a help-authoring host while it publishes help
 * material as HTML. It has four operations; each answers 1 on success and 0
 * on failure, and no other error report crosses this interface.
 *
 * All strings are narrow, zero-terminated and only read. On Windows they are
 * in the ANSI code page; on Linux they are passed to the system unchanged
 * (normally UTF-8). Folders and prefixes are joined to file names by plain
 * concatenation, so a destination folder carries its own trailing separator.
 *
 * The library keeps one piece of state between calls: the project database
 * session opened by the first successful bConvertSHGToGIFMAP call, kept until
 * the module is unloaded. Calls must not overlap (one thread at a time).
 */
#ifndef VELLUMDESK_H
#define VELLUMDESK_H

#include <stdint.h>

/* The library's version. CMake writes these lines from the version in
 * CMakeLists.txt when the build is configured. */
/* BEGIN VERSION */
#define VELLUMDESK_VERSION_MAJOR 1
#define VELLUMDESK_VERSION_MINOR 0
#define VELLUMDESK_VERSION_PATCH 0
#define VELLUMDESK_VERSION_STRING "1.0.0"
/* END VERSION */

#if defined(_WIN32)
#define VELLUMDESK_CALL __stdcall
#else
#define VELLUMDESK_CALL
#endif

#if defined(_WIN32) && defined(VELLUMDESK_BUILDING)
#define VELLUMDESK_API __declspec(dllexport)
#elif defined(VELLUMDESK_BUILDING) && (defined(__GNUC__) || defined(__clang__))
#define VELLUMDESK_API __attribute__((visibility("default")))
#else
#define VELLUMDESK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Publishes a segmented hypergraphic (SHG) as a GIF picture plus an HTML
 * image map whose areas link to the publication's numbered pages.
 *   databasePath  project database file; used only by the call that opens
 *                 the session, later calls reuse the open session.
 *   shgPath       the hypergraphic; its name must end in ".SHG" or ".shg".
 *   sourceKey     key of the hypergraphic's record in the table "Sources".
 * The GIF and the map are written into the destination folders that the
 * project database gives for "_.gif" and "_.map".
 * Returns 1 when both files were written, else 0.
 */
VELLUMDESK_API int32_t VELLUMDESK_CALL bConvertSHGToGIFMAP(const char* databasePath,
                                                           const char* shgPath, int32_t sourceKey);

/*
 * Converts a Windows bitmap (".BMP", ".bmp", ".DIB" or ".dib") of 1, 4 or 8
 * bits per pixel into a GIF named after it (extension "gif").
 *   bitmapPath        the bitmap file.
 *   destinationFolder joined unchanged in front of the GIF's file name.
 * Returns 1 when the GIF was written, else 0.
 */
VELLUMDESK_API int32_t VELLUMDESK_CALL bConvertBmpToGif(const char* bitmapPath,
                                                        const char* destinationFolder);

/*
 * Compiles an indented contents outline (text) into "inhalt.bin".
 *   outlinePath        the outline text file.
 *   destinationPrefix  joined unchanged in front of "inhalt.bin".
 * Returns 1 when the whole outline was compiled, else 0.
 */
VELLUMDESK_API int32_t VELLUMDESK_CALL bCompileContents(const char* outlinePath,
                                                        const char* destinationPrefix);

/*
 * Compiles a category list (text) into "kategorien.bin".
 *   listPath           the category list text file.
 *   destinationPrefix  joined unchanged in front of "kategorien.bin".
 * Returns 1 when the whole list was compiled, else 0.
 */
VELLUMDESK_API int32_t VELLUMDESK_CALL bCompileCategory(const char* listPath,
                                                        const char* destinationPrefix);

#ifdef __cplusplus
}
#endif

#endif /* VELLUMDESK_H */
