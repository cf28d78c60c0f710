// The Jet store behind the engine interface: a read-only project database in
// a Jet 4 (.mdb) file. Tables are loaded whole when a recordset opens them
// and shared by the recordsets of one database.
#pragma once

#include <memory>

#include "projectdb/Engine.h"

namespace vd {

std::unique_ptr<CEngineDatabase> CreateJetStoreDatabase();

}  // namespace vd
