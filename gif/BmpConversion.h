// Converts a bitmap file (BMP/DIB) into a GIF file in a destination folder.
#pragma once

#include <string>

namespace vd {

// Answers 1 when strDestination + <name>.gif was written, else 0; pstrReason,
// when given, receives why it failed.
//
// The source's name must end in ".BMP", ".bmp", ".DIB" or ".dib" (exactly);
// otherwise, or when it is no bitmap file, nothing is created. The GIF
// replaces an earlier file of its name whole or not at all: on every failure
// (a refused bitmap, a write error) no file is left behind and an earlier GIF
// stays as it was. The loaded bitmap is released on every path.
int bConvertBmpToGif(const std::string& strSource, const std::string& strDestination,
                     std::string* pstrReason = nullptr);

// The output path: strDestination joined by plain concatenation with the
// source's file name (after its last separator), whose last three
// characters become "gif".
std::string GifNameForBitmap(const std::string& strSource, const std::string& strDestination);

}  // namespace vd
