// "vellumdesk db convert FILE.mdb OUT.sqlite": copies a project database into
// a new SQLite project database.
#pragma once

#include <string>
#include <vector>

namespace vd::cli {

// args: the source and the output path. Answers the tool's exit code.
int RunDbConvert(const std::vector<std::string>& args);

}  // namespace vd::cli
