#include "cli/Command.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& /*args*/) { return Fail("shg: not available yet"); }

const CCommand kShgCommand = {
    "shg",
    "publish a hypergraphic as GIF and image map",
    "vellumdesk shg DATABASE SHG KEY",
    "Converts the hypergraphic SHG of record KEY in the table Sources.\n",
    Run,
};

}  // namespace vd::cli
