// The project database session: the database and its five tables, opened by
// the first hypergraphic conversion and closed when the module is unloaded.
#pragma once

#include <string>

#include "projectdb/EngineException.h"

namespace vd {

// Opens the database at strPath and its five tables into the library-wide
// state; answers 1 when all are open, else 0 after reporting the error.
int bOpenProjectDatabase(std::string strPath);
int bOpenProjectTables();
// Shows the description of an engine error to the user.
void ReportDatabaseError(const CEngineException& error);
// Closes the five tables, then the database, and shuts the engine down.
void CloseProjectDatabase() noexcept;

}  // namespace vd
