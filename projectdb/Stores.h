// The stores behind the engine interface, one per on-disk format. The engine
// picks one by the signature of the file being opened.
#pragma once

#include <memory>

#include "projectdb/Engine.h"

namespace vd {

// A database in an SQLite 3 file ("SQLite format 3\0").
std::unique_ptr<CEngineDatabase> CreateSqliteDatabase();
// A read-only database in a Jet 4 file ("Standard Jet DB"). Tables are
// loaded when a recordset first opens them and shared by the recordsets of
// one database.
std::unique_ptr<CEngineDatabase> CreateJetDatabase();

}  // namespace vd
