// The library-wide state: the project database session, kept from the first
// successful opening until the module is unloaded. Nothing else is global.
#pragma once

#include <cstdint>
#include <memory>

namespace vd {

class CEngineDatabase;
class CEngineRecordset;

// 1 once the session has been opened successfully; never cleared while loaded.
extern std::int32_t g_bDatabaseOpen;

extern std::unique_ptr<CEngineDatabase> g_pDatabase;
extern std::unique_ptr<CEngineRecordset> g_pHeadLines;
extern std::unique_ptr<CEngineRecordset> g_pSources;
extern std::unique_ptr<CEngineRecordset> g_pSourcesStamm;
extern std::unique_ptr<CEngineRecordset> g_pDirectoryList;
extern std::unique_ptr<CEngineRecordset> g_pCompileStamm;

}  // namespace vd
