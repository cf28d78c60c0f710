// Texts from files (names, targets, records) printed one item a line.
#pragma once

#include <string>

namespace vd::cli {

// The text in double quotes: quotes and backslashes escaped, control bytes
// and bytes that are not UTF-8 written as \xNN, so an item stays on its line
// whatever its bytes are.
std::string Quoted(const std::string& strText);

}  // namespace vd::cli
