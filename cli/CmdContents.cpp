#include "cli/Command.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& /*args*/) {
    return Fail("contents: not available yet");
}

const CCommand kContentsCommand = {
    "contents",
    "compile a contents outline into inhalt.bin",
    "vellumdesk contents OUTLINE DEST",
    "Compiles the outline OUTLINE into DEST + \"inhalt.bin\".\n",
    Run,
};

}  // namespace vd::cli
