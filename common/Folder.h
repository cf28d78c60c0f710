// Creating one folder level on disk.
#pragma once

#include <string>

namespace vd {

// Creates the folder strPath (its parent must exist). Answers true when it
// was created, false otherwise (for instance when it already exists).
bool CreateOneFolder(const std::string& strPath) noexcept;

}  // namespace vd
