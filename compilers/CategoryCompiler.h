// Compiles a category list (text) into "kategorien.bin".
#pragma once

#include <string>

namespace vd {

// Answers 1 when the whole list was compiled into strPrefix + "kategorien.bin",
// else 0; pstrReason, when given, receives why it failed.
int bCompileCategory(const std::string& strList, const std::string& strPrefix,
                     std::string* pstrReason = nullptr);

}  // namespace vd
