#include "projectdb/Stores.h"

namespace vd {

std::unique_ptr<CEngineDatabase> CreateJetDatabase() {
    throw CEngineException(
        "This build of the library cannot read Jet (.mdb) databases; convert the database to "
        "SQLite or build with libmdb.");
}

}  // namespace vd
