#include "cli/NavigationCommand.h"
#include "compilers/ContentsCompiler.h"

namespace vd::cli {

static int Compile(const std::string& strInput, const std::string& strPrefix,
                   std::string* pstrReason) {
    return vd::bCompileContents(strInput, strPrefix, pstrReason);
}

static int Run(const std::vector<std::string>& args) {
    return RunNavigationCommand(kContentsCommand, {"OUTLINE", "inhalt.bin", Compile}, args);
}

const CCommand kContentsCommand = {
    "contents",
    "compile a contents outline into inhalt.bin",
    "vellumdesk contents [-q] OUTLINE DEST",
    "Compiles the contents outline OUTLINE (an indented text file) into the\n"
    "file DEST + \"inhalt.bin\" and prints that path (-q, --quiet: nothing). DEST\n"
    "is a folder with its trailing separator (\"out/\"), or an existing folder\n"
    "(\"out\"); anything else is joined in front of the name as it stands.\n\n"
    "Each line that is not empty becomes one entry: its level is 1 plus the\n"
    "number of leading spaces (one level deeper than the line before at most),\n"
    "a \"#\" after the spaces marks an entry of the second kind, and \"~N\" at the\n"
    "end sets the entry's number N (0..255).\n\n"
    "OUTLINE \"-\" reads standard input.\n\n"
    "On failure the reason names the file (and the line), and the records\n"
    "compiled before stay in the output.\n",
    Run,
};

}  // namespace vd::cli
