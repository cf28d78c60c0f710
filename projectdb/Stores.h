// The stores behind the engine interface, one per on-disk format. The engine
// picks one by the signature of the file being opened.
#pragma once

#include <memory>

#include "projectdb/Engine.h"

namespace vd {

// A database in an SQLite 3 file ("SQLite format 3\0").
std::unique_ptr<CEngineDatabase> CreateSqliteDatabase();
// A database in a Jet file ("Standard Jet DB"); raises CEngineException when
// this build has no Jet store.
std::unique_ptr<CEngineDatabase> CreateJetDatabase();

}  // namespace vd
