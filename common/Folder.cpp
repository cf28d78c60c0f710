#include "common/Folder.h"

#ifndef _WIN32

#include <sys/stat.h>

namespace vd {

bool CreateOneFolder(const std::string& strPath) noexcept {
    return ::mkdir(strPath.c_str(), 0777) == 0;
}

}  // namespace vd

#endif  // !_WIN32
