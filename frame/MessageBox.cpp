#include "frame/MessageBox.h"

#ifndef _WIN32

#include <cstdio>

namespace vd {

void ShowErrorMessage(const std::string& strText) noexcept {
    std::fprintf(stderr, "Vellumdesk: %s\n", strText.c_str());
    std::fflush(stderr);
}

}  // namespace vd

#else  // _WIN32

#include <windows.h>

namespace vd {

// A modal box with one OK button over the host's windows, captioned with the
// module's name. The text is in the ANSI code page, as every narrow string.
void ShowErrorMessage(const std::string& strText) noexcept {
    ::MessageBoxA(nullptr, strText.c_str(), "Vellumdesk", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace vd

#endif  // _WIN32
