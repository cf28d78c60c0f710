#include "common/PlatformPath.h"

#ifdef _WIN32
#include <cerrno>

#include "common/WideText.h"
#endif

namespace vd {

#ifdef _WIN32

std::filesystem::path PlatformPath(const std::string& strPath) {
    return std::filesystem::path(WidePath(strPath));
}

std::FILE* OpenStdioFile(const std::string& strPath, const char* pszMode) {
    if (strPath.find('\0') != std::string::npos) {
        errno = EINVAL;
        return nullptr;
    }
    const std::string strMode(pszMode);
    return ::_wfopen(WidePath(strPath).c_str(),
                     std::wstring(strMode.begin(), strMode.end()).c_str());
}

#else

std::filesystem::path PlatformPath(const std::string& strPath) {
    return std::filesystem::path(strPath);
}

std::FILE* OpenStdioFile(const std::string& strPath, const char* pszMode) {
    return std::fopen(strPath.c_str(), pszMode);
}

#endif

}  // namespace vd
