// The host passes narrow strings in its ANSI code page on Windows, while the
// library keeps every narrow string in UTF-8. This converts an argument.
#pragma once

#include <string>

namespace vd {

// On Windows: strAnsi read in the process's ANSI code page, answered in
// UTF-8; a string that cannot be converted is answered unchanged (opening it
// then fails with the system's own message). Elsewhere narrow strings already
// are what the system takes, and strAnsi is answered unchanged.
std::string AnsiToUtf8(const std::string& strAnsi);

}  // namespace vd
