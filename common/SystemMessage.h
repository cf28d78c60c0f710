// The Windows system's text for an error code, without its trailing line
// break and full stop ("system error N" when the system has none).
#pragma once

#ifdef _WIN32

#include <string>

namespace vd {

std::string SystemMessage(unsigned long dwError);

}  // namespace vd

#endif  // _WIN32
