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

#include "common/WideText.h"

namespace vd {

// One level, default security; the UTF-8 path goes to the system as UTF-16.
bool CreateOneFolder(const std::string& strPath) noexcept {
    if (strPath.find('\0') != std::string::npos) return false;
    try {
        return ::CreateDirectoryW(WidePath(strPath).c_str(), nullptr) != 0;
    } catch (...) {
        return false;  // no memory for the wide form
    }
}

}  // namespace vd

#endif  // _WIN32
