// File names in messages and in the tool's output records, written so that
// each message and each record stays on one line whatever bytes a name has.
#pragma once

#include <string>

namespace vd {

// The name as GNU tools quote it for a shell: plain text in single quotes; a
// quote as \' and a control character as $'\n' (or $'\ooo') outside them,
// so that the text stays on one line and can be pasted back ('a'$'\n''b').
std::string QuotePath(const std::string& strPath);

// The name as it stands when it holds no control character and no single
// quote, otherwise quoted as QuotePath does: a field of a tab-separated
// record that keeps ordinary names readable as they are.
std::string RecordField(const std::string& strPath);

}  // namespace vd
