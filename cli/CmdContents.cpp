#include <exception>

#include "cli/Command.h"
#include "compilers/ContentsCompiler.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError(kContentsCommand,
                          args.size() < 2 ? "OUTLINE and DEST are needed" : "too many arguments");
    }
    std::string strReason;
    try {
        if (vd::bCompileContents(args[0], args[1], &strReason) == 1) return kExitSuccess;
    } catch (const std::exception& e) {
        strReason = e.what();
    }
    return Fail(strReason.empty() ? args[0] + ": the outline was not compiled" : strReason);
}

const CCommand kContentsCommand = {
    "contents",
    "compile a contents outline into inhalt.bin",
    "vellumdesk contents OUTLINE DEST",
    "Compiles the contents outline OUTLINE (an indented text file) into the\n"
    "file DEST + \"inhalt.bin\". DEST is joined in front of the name as it\n"
    "stands, so give a folder with its trailing separator (\"out/\"); the\n"
    "folder must exist.\n\n"
    "Each line that is not empty becomes one entry: its level is 1 plus the\n"
    "number of leading spaces (one level deeper than the line before at most),\n"
    "a \"#\" after the spaces marks an entry of the second kind, and \"~N\" at the\n"
    "end sets the entry's number N (0..255).\n\n"
    "On failure the reason names the file (and the line), and the records\n"
    "compiled before stay in the output.\n",
    Run,
};

}  // namespace vd::cli
