#include "cli/Command.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& /*args*/) { return Fail("dump: not available yet"); }

const CCommand kDumpCommand = {
    "dump",
    "print the records of inhalt.bin or kategorien.bin",
    "vellumdesk dump FILE",
    "Prints the records of FILE, one record a line.\n",
    Run,
};

}  // namespace vd::cli
