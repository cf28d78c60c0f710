#include "projectdb/Engine.h"

namespace vd {

std::unique_ptr<CEngineDatabase> CreateEngineDatabase() {
    throw CEngineException("no database store is available in this build");
}

void ShutdownEngine() noexcept {}

}  // namespace vd
