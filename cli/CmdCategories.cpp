#include "cli/NavigationCommand.h"
#include "compilers/CategoryCompiler.h"

namespace vd::cli {

static int Compile(const std::string& strInput, const std::string& strPrefix,
                   std::string* pstrReason) {
    return vd::bCompileCategory(strInput, strPrefix, pstrReason);
}

static int Run(const std::vector<std::string>& args) {
    return RunNavigationCommand(kCategoriesCommand, {"LIST", "kategorien.bin", Compile}, args);
}

const CCommand kCategoriesCommand = {
    "categories",
    "compile a category list into kategorien.bin",
    "vellumdesk categories [-q] LIST DEST",
    "Compiles the category list LIST (a text file) into the file\n"
    "DEST + \"kategorien.bin\" and prints that path (-q, --quiet: nothing). DEST\n"
    "is a folder with its trailing separator (\"out/\"), or an existing folder\n"
    "(\"out\"); anything else is joined in front of the name as it stands.\n\n"
    "Each line that is not empty reads name=text,first,second: the name runs\n"
    "to the first \"=\", the text to the next \",\" (each at most 127 characters),\n"
    "and the two numbers are stored as bytes (0..255, wrapping).\n\n"
    "LIST \"-\" reads standard input.\n\n"
    "On failure the reason names the file (and the line), and the records\n"
    "compiled before stay in the output.\n",
    Run,
};

}  // namespace vd::cli
