#include "frame/MessageBox.h"

#ifndef _WIN32

#include <cstdio>

namespace vd {

void ShowErrorMessage(const std::string& strText) noexcept {
    std::fprintf(stderr, "Vellumdesk: %s\n", strText.c_str());
    std::fflush(stderr);
}

}  // namespace vd

#endif  // !_WIN32
