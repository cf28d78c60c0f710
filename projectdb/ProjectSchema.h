// Creating an empty project database on this platform (an SQLite file with
// the tables and named indexes the library reads), for hosts, tools and tests.
#pragma once

#include <string>
#include <vector>

namespace vd {

// The SQL that creates the five tables and their named indexes.
extern const char* const kProjectSchemaSql;

// Creates a new project database file at strPath with the schema, then runs
// each of the SQL texts in sqlTexts on it (for instance the rows of a
// project; a text may hold its own transaction). Refuses to touch an
// existing file.
// Answers true on success; otherwise removes what it created and answers
// false with the reason in *pstrReason (when given).
bool CreateProjectDatabase(const std::string& strPath, const std::vector<std::string>& sqlTexts,
                           std::string* pstrReason = nullptr);

}  // namespace vd
