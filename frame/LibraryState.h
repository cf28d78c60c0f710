// The library-wide state: the project database session, kept from the first
// successful opening until the module is unloaded. Nothing else is global.
// None of it has a destructor: only the unload step releases the session,
// whatever order the host's process ends in.
#pragma once

#include <cstdint>

#include "frame/StateHandle.h"

namespace vd {

class CEngineDatabase;
class CEngineRecordset;

// 1 once the session has been opened successfully; never cleared while loaded.
extern std::int32_t g_bDatabaseOpen;

extern CStateHandle<CEngineDatabase> g_pDatabase;
extern CStateHandle<CEngineRecordset> g_pHeadLines;
extern CStateHandle<CEngineRecordset> g_pSources;
extern CStateHandle<CEngineRecordset> g_pSourcesStamm;
extern CStateHandle<CEngineRecordset> g_pDirectoryList;
extern CStateHandle<CEngineRecordset> g_pCompileStamm;

}  // namespace vd
