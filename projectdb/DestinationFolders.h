// The destination folders of the publication: where an output file of the
// source being converted goes, as the DirectoryList table assigns it.
#pragma once

#include <string>
#include <string_view>

namespace vd {

// The folder for an output file named strFileName ("_.gif", "_.map") of the
// current Sources record and its current SourcesStamm record: the
// destination root, followed by the subfolder of the first DirectoryList row
// of the source's group and destination whose mask matches the name. The
// folder is created (one level; an existing folder is fine). Moves only the
// DirectoryList cursor. Engine errors pass to the caller.
std::string GetDestinationFolder(const std::string& strFileName);

// Matches text against a wildcard mask ("*" any run, "?" one character),
// byte for byte and case-sensitively, with a forward-only scan: a "*" stands
// only for the characters before the first literal match that follows it.
// Answers 1 for a match, else 0; never reads past either string.
int bMatchFileMask(std::string_view text, std::string_view mask);

}  // namespace vd
