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

#include "common/WideText.h"

namespace vd {

// A modal box with one OK button over the host's windows, captioned with the
// module's name. The UTF-8 text is shown through the wide-character API, so
// a name from the database keeps its characters.
void ShowErrorMessage(const std::string& strText) noexcept {
    try {
        ::MessageBoxW(nullptr, WidePath(strText).c_str(), L"Vellumdesk",
                      MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
        // No memory for the wide text: the box cannot be shown.
    }
}

}  // namespace vd

#endif  // _WIN32
