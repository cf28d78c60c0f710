#include "projectdb/Stores.h"

namespace vd {

std::unique_ptr<CEngineDatabase> CreateSqliteDatabase() {
    throw CEngineException("The SQLite store is not available yet.");
}

}  // namespace vd
