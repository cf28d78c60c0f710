#include "projectdb/Session.h"

#include "frame/LibraryState.h"
#include "projectdb/Engine.h"

namespace vd {

int bOpenProjectDatabase(std::string /*strPath*/) { return 0; }

int bOpenProjectTables() { return 0; }

void ReportDatabaseError(const CEngineException& /*error*/) {}

void CloseProjectDatabase() noexcept {
    g_pHeadLines.reset();
    g_pSources.reset();
    g_pSourcesStamm.reset();
    g_pDirectoryList.reset();
    g_pCompileStamm.reset();
    g_pDatabase.reset();
}

}  // namespace vd
