#include "cli/Destination.h"

#include <filesystem>
#include <system_error>

#include "common/Strings.h"

namespace vd::cli {

std::string DestinationPrefix(const std::string& strDestination) {
    if (strDestination.empty() || IsPathSeparator(strDestination.back())) return strDestination;
    std::error_code error;
    if (!std::filesystem::is_directory(strDestination, error)) return strDestination;
#ifdef _WIN32
    return strDestination + "\\";
#else
    return strDestination + "/";
#endif
}

}  // namespace vd::cli
