// Checks a project database for what the library reads from it: the five
// tables, their named indexes and the fields, through the engine interface
// (so it checks whatever store the file is in).
#pragma once

#include <string>
#include <vector>

namespace vd {

struct CCheckResult {
    // One finding a line, marked "problem: ", "warning: " or "ok: ".
    std::vector<std::string> lines;
    int nProblems = 0;
    // Values the library reads but that give surprising paths: folders that
    // do not end in a separator and so run into the file names after them.
    int nWarnings = 0;
};

// Opens the database read-only and reports each table, index and field the
// library would miss or could not read. Every record is read, so a NULL or
// a value of the wrong kind in any record is found too. A DestinationPath or
// Directory value without a trailing separator is a warning.
CCheckResult CheckProjectDatabase(const std::string& strPath);

}  // namespace vd
