// The four exported operations: each hands its call to the driver that does
// its work and passes the result back as exactly 1 or 0. The host's paths are
// in its ANSI code page on Windows; inside the library they are UTF-8.
#include "vellumdesk.h"

#include "common/AnsiToUtf8.h"
#include "compilers/CategoryCompiler.h"
#include "compilers/ContentsCompiler.h"
#include "frame/ExportGuard.h"
#include "gif/BmpConversion.h"
#include "hypergraphics/ShgConversion.h"

extern "C" {

VELLUMDESK_API int32_t VELLUMDESK_CALL bConvertSHGToGIFMAP(const char* databasePath,
                                                           const char* shgPath, int32_t sourceKey) {
    if (databasePath == nullptr || shgPath == nullptr) return 0;
    return vd::CallGuarded([&] {
        return vd::bConvertSHGToGIFMAP(vd::AnsiToUtf8(databasePath), vd::AnsiToUtf8(shgPath),
                                       sourceKey);
    });
}

VELLUMDESK_API int32_t VELLUMDESK_CALL bConvertBmpToGif(const char* bitmapPath,
                                                        const char* destinationFolder) {
    if (bitmapPath == nullptr || destinationFolder == nullptr) return 0;
    return vd::CallGuarded([&] {
        return vd::bConvertBmpToGif(vd::AnsiToUtf8(bitmapPath), vd::AnsiToUtf8(destinationFolder));
    });
}

VELLUMDESK_API int32_t VELLUMDESK_CALL bCompileContents(const char* outlinePath,
                                                        const char* destinationPrefix) {
    if (outlinePath == nullptr || destinationPrefix == nullptr) return 0;
    return vd::CallGuarded([&] {
        return vd::bCompileContents(vd::AnsiToUtf8(outlinePath), vd::AnsiToUtf8(destinationPrefix));
    });
}

VELLUMDESK_API int32_t VELLUMDESK_CALL bCompileCategory(const char* listPath,
                                                        const char* destinationPrefix) {
    if (listPath == nullptr || destinationPrefix == nullptr) return 0;
    return vd::CallGuarded([&] {
        return vd::bCompileCategory(vd::AnsiToUtf8(listPath), vd::AnsiToUtf8(destinationPrefix));
    });
}

}  // extern "C"
