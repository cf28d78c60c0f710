#include <exception>

#include "cli/Command.h"
#include "compilers/CategoryCompiler.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError(kCategoriesCommand,
                          args.size() < 2 ? "LIST and DEST are needed" : "too many arguments");
    }
    std::string strReason;
    try {
        if (vd::bCompileCategory(args[0], args[1], &strReason) == 1) return kExitSuccess;
    } catch (const std::exception& e) {
        strReason = e.what();
    }
    return Fail(strReason.empty() ? args[0] + ": the category list was not compiled" : strReason);
}

const CCommand kCategoriesCommand = {
    "categories",
    "compile a category list into kategorien.bin",
    "vellumdesk categories LIST DEST",
    "Compiles the category list LIST (a text file) into the file\n"
    "DEST + \"kategorien.bin\". DEST is joined in front of the name as it\n"
    "stands, so give a folder with its trailing separator (\"out/\"); the\n"
    "folder must exist.\n\n"
    "Each line that is not empty reads name=text,first,second: the name runs\n"
    "to the first \"=\", the text to the next \",\" (each at most 127 characters),\n"
    "and the two numbers are stored as bytes (0..255, wrapping).\n\n"
    "On failure the reason names the file (and the line), and the records\n"
    "compiled before stay in the output.\n",
    Run,
};

}  // namespace vd::cli
