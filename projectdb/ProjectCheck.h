// Checks a project database for what the library reads from it: the five
// tables, their named indexes and the fields, through the engine interface
// (so it checks whatever store the file is in).
#pragma once

#include <string>
#include <vector>

namespace vd {

struct CCheckResult {
    std::vector<std::string>
        lines;  // one finding a line, problems first marked "missing:" / "wrong:"
    int nProblems = 0;
};

// Opens the database read-only and reports each table, index and field the
// library would miss or could not read. Every record is read, so a NULL or
// a value of the wrong kind in any record is found too.
CCheckResult CheckProjectDatabase(const std::string& strPath);

}  // namespace vd
