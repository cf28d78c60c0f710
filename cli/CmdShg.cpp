#include <cerrno>
#include <cstdlib>
#include <limits>

#include "cli/Command.h"
#include "hypergraphics/ShgConversion.h"

namespace vd::cli {

extern const CCommand kShgCommand;

// A whole decimal number that fits in 32 signed bits.
static bool ParseKey(const std::string& strText, std::int32_t& nKey) {
    if (strText.empty()) return false;
    errno = 0;
    char* pEnd = nullptr;
    const long long nValue = std::strtoll(strText.c_str(), &pEnd, 10);
    if (errno != 0 || pEnd == nullptr || *pEnd != '\0') return false;
    if (nValue < std::numeric_limits<std::int32_t>::min() ||
        nValue > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    nKey = static_cast<std::int32_t>(nValue);
    return true;
}

static int Run(const std::vector<std::string>& args) {
    if (args.size() != 3) return UsageError(kShgCommand, "expected DATABASE, SHG and KEY");
    std::int32_t nKey = 0;
    if (!ParseKey(args[2], nKey)) {
        return UsageError(kShgCommand,
                          "KEY must be a whole number (32 bits), not '" + args[2] + "'");
    }
    std::string strReason;
    // The session stays open; the unload step closes it when the tool exits.
    const int nResult = bConvertSHGToGIFMAP(args[0], args[1], nKey, &strReason);
    if (nResult != 1) return Fail("shg: " + strReason);
    return kExitSuccess;
}

const CCommand kShgCommand = {
    "shg",
    "publish a hypergraphic as GIF and image map",
    "vellumdesk shg DATABASE SHG KEY",
    "Converts the hypergraphic SHG (its name ends in .SHG or .shg) of record KEY\n"
    "in the table Sources of the project database DATABASE: writes the picture\n"
    "as a GIF named after SHG into the folder the database assigns to \"_.gif\",\n"
    "and an HTML image map (the same name with the extension map) into the\n"
    "folder for \"_.map\"; each hotspot links to the page its target names.\n"
    "A database that cannot be opened is reported on a line of its own.\n",
    Run,
};

}  // namespace vd::cli
