// The one message the library shows itself: the database engine's error while
// the session is opened. On Windows a modal box with an OK button; elsewhere
// one line "Vellumdesk: <text>" on stderr.
#pragma once

#include <string>

namespace vd {

void ShowErrorMessage(const std::string& strText) noexcept;

}  // namespace vd
