#include "projectdb/Stores.h"

#ifdef VD_HAVE_LIBMDB
#include "projectdb/JetDatabase.h"
#endif

namespace vd {

std::unique_ptr<CEngineDatabase> CreateJetDatabase() {
#ifdef VD_HAVE_LIBMDB
    return CreateJetStoreDatabase();
#else
    throw CEngineException(
        "This build of the library cannot read Jet (.mdb) databases; convert the database to "
        "SQLite or build with libmdb.");
#endif
}

}  // namespace vd
