// The project database session: the database and its five tables, opened by
// the first hypergraphic conversion and closed when the module is unloaded.
#pragma once

#include <string>

#include "projectdb/EngineException.h"

namespace vd {

// Opens the database at strPath and its five tables into the library-wide
// state; answers 1 when all are open, else 0 after reporting the error: shown
// to the user, or stored in *pstrError when given (a caller that prints it
// on its own line).
int bOpenProjectDatabase(std::string strPath, std::string* pstrError = nullptr);
int bOpenProjectTables(std::string* pstrError = nullptr);
// Shows the description of an engine error to the user, or stores it in
// *pstrError when given.
void ReportDatabaseError(const CEngineException& error, std::string* pstrError = nullptr);
// Closes the five tables, then the database, and shuts the engine down.
void CloseProjectDatabase() noexcept;

}  // namespace vd
