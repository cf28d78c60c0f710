#include "common/Folder.h"

#ifndef _WIN32

#include <sys/stat.h>

namespace vd {

bool CreateOneFolder(const std::string& strPath) noexcept {
    return ::mkdir(strPath.c_str(), 0777) == 0;
}

}  // namespace vd

#else  // _WIN32

#include <windows.h>

namespace vd {

// One level, default security; the path is in the ANSI code page.
bool CreateOneFolder(const std::string& strPath) noexcept {
    if (strPath.find('\0') != std::string::npos) return false;
    return ::CreateDirectoryA(strPath.c_str(), nullptr) != 0;
}

}  // namespace vd

#endif  // _WIN32
