#include "frame/LibraryState.h"

#include "projectdb/Engine.h"

namespace vd {

std::int32_t g_bDatabaseOpen = 0;

// Defined database first: static destruction runs in reverse, so recordsets
// are always destroyed before their database.
std::unique_ptr<CEngineDatabase> g_pDatabase;
std::unique_ptr<CEngineRecordset> g_pHeadLines;
std::unique_ptr<CEngineRecordset> g_pSources;
std::unique_ptr<CEngineRecordset> g_pSourcesStamm;
std::unique_ptr<CEngineRecordset> g_pDirectoryList;
std::unique_ptr<CEngineRecordset> g_pCompileStamm;

}  // namespace vd
