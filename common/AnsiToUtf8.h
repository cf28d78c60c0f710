// Narrow strings are in the ANSI code page on Windows, while the SQLite
// library takes file names in UTF-8. This converts a path for it.
#pragma once

#include <string>

namespace vd {

// On Windows: strAnsi read in the process's ANSI code page, answered in
// UTF-8; a string that cannot be converted is answered unchanged (opening it
// then fails with the store's own message). Elsewhere narrow strings already
// are what the system takes, and strAnsi is answered unchanged.
std::string AnsiToUtf8(const std::string& strAnsi);

}  // namespace vd
