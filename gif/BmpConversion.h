// Converts a bitmap file (BMP/DIB) into a GIF file in a destination folder.
#pragma once

#include <string>

namespace vd {

// Answers 1 when strDestination + <name>.gif was written, else 0; pstrReason,
// when given, receives why it failed.
int bConvertBmpToGif(const std::string& strSource, const std::string& strDestination,
                     std::string* pstrReason = nullptr);

}  // namespace vd
