#include "frame/LibraryState.h"

#include "projectdb/Engine.h"

namespace vd {

// Constant-initialised and trivially destructible: zero at load, and never
// touched by the C++ runtime at process exit.
constinit std::int32_t g_bDatabaseOpen = 0;

constinit CStateHandle<CEngineDatabase> g_pDatabase;
constinit CStateHandle<CEngineRecordset> g_pHeadLines;
constinit CStateHandle<CEngineRecordset> g_pSources;
constinit CStateHandle<CEngineRecordset> g_pSourcesStamm;
constinit CStateHandle<CEngineRecordset> g_pDirectoryList;
constinit CStateHandle<CEngineRecordset> g_pCompileStamm;

}  // namespace vd
