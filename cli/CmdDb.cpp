#include "cli/Command.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& /*args*/) { return Fail("db: not available yet"); }

const CCommand kDbCommand = {
    "db",
    "create or check a project database",
    "vellumdesk db init|check FILE",
    "init FILE creates an empty project database; check FILE reports what the library would "
    "miss.\n",
    Run,
};

}  // namespace vd::cli
