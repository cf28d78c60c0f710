#include "cli/Command.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& /*args*/) {
    return Fail("categories: not available yet");
}

const CCommand kCategoriesCommand = {
    "categories",
    "compile a category list into kategorien.bin",
    "vellumdesk categories LIST DEST",
    "Compiles the category list LIST into DEST + \"kategorien.bin\".\n",
    Run,
};

}  // namespace vd::cli
