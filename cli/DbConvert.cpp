#include "cli/DbConvert.h"

#include "cli/Command.h"

namespace vd::cli {

int RunDbConvert(const std::vector<std::string>& /*args*/) {
    return Fail("db convert: not available yet");
}

}  // namespace vd::cli
