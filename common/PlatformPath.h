// A UTF-8 path handed to the standard library's file facilities. On Windows
// they would read a narrow path in the ANSI code page, so it goes to them as
// UTF-16; elsewhere the bytes go unchanged.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace vd {

std::filesystem::path PlatformPath(const std::string& strPath);

// std::fopen of a UTF-8 path (null with errno set when it cannot be opened).
std::FILE* OpenStdioFile(const std::string& strPath, const char* pszMode);

}  // namespace vd
