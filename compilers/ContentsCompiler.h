// Compiles a contents outline (indented text) into "inhalt.bin".
#pragma once

#include <string>

namespace vd {

// Answers 1 when the whole outline was compiled into strPrefix + "inhalt.bin",
// else 0; pstrReason, when given, receives why it failed.
int bCompileContents(const std::string& strOutline, const std::string& strPrefix,
                     std::string* pstrReason = nullptr);

}  // namespace vd
