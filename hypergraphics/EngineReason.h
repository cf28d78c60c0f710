// The database engine's description of an error, as the reason of a failed
// conversion gives it after "cannot VERB 'PATH': ".
#pragma once

#include <string>

namespace vd {

// The engine writes sentences for a message box ("Cannot open the project
// database 'P': file is not a database.", "Table 'T' ... (project database
// 'P')."). The reason already names the database, so a leading "... 'P': "
// and other mentions of 'P' go, and so does the final period; a sentence of
// the engine's own starts in lower case. Text after a leading "... 'P': " is
// the system's or SQLite's own and keeps its case.
std::string EngineReason(std::string strDescription, const std::string& strDatabase);

}  // namespace vd
