#include <cstdio>
#include <string>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/LinkReport.h"
#include "cli/PictureList.h"
#include "frame/LibraryState.h"
#include "hypergraphics/ShgConversion.h"

namespace vd::cli {

namespace {

// The pictures named on the command line: SHG KEY pairs after DATABASE.
int PicturesFromArguments(const std::vector<std::string>& operands,
                          std::vector<SPicture>& pictures) {
    if (operands.size() < 3) return UsageError(kShgCommand, "expected DATABASE, SHG and KEY");
    if (operands.size() % 2 == 0) {
        return UsageError(kShgCommand, "SHG " + QuotePath(operands.back()) + " has no KEY");
    }
    for (std::size_t i = 1; i + 1 < operands.size(); i += 2) {
        SPicture picture;
        picture.strShg = operands[i];
        if (!ParseSourceKey(operands[i + 1], picture.nKey)) {
            return UsageError(
                kShgCommand, "KEY must be a whole number (32 bits), not '" + operands[i + 1] + "'");
        }
        pictures.push_back(std::move(picture));
    }
    return kExitSuccess;
}

int Run(const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(args, {{"-q", false, "--quiet"}, {"--strict", false}, {"--list", true}},
                        parsed, &strProblem)) {
        return UsageError(kShgCommand, strProblem);
    }
    if (parsed.operands.empty()) return UsageError(kShgCommand, "DATABASE is needed");
    const std::string& strDatabase = parsed.operands[0];
    std::vector<SPicture> pictures;
    if (parsed.Has("--list")) {
        if (parsed.operands.size() != 1) {
            return UsageError(kShgCommand, "with --list, give DATABASE only");
        }
        if (!ReadPictureList(parsed.Value("--list"), pictures, &strProblem)) {
            return Fail("shg: " + strProblem);
        }
    } else if (const int nExit = PicturesFromArguments(parsed.operands, pictures); nExit != 0) {
        return nExit;
    }

    const bool bQuiet = parsed.Has("-q");
    std::size_t nFailed = 0;
    std::size_t nUnresolved = 0;
    CLinkCollector links;
    for (const SPicture& picture : pictures) {
        links.Clear();
        std::string strReason;
        SShgConversionRequest request;
        request.pLinks = &links;
        request.bDatabaseErrorInReason = true;
        const int nResult =
            bConvertSHGToGIFMAP(strDatabase, picture.strShg, picture.nKey, &strReason, &request);
        nUnresolved += WarnUnresolved(kShgCommand, picture.strShg, links);
        if (nResult == 1) {
            if (!bQuiet) {
                std::printf("%s\t%s\n", RecordField(request.strGifPath).c_str(),
                            RecordField(request.strMapPath).c_str());
            }
            continue;
        }
        ++nFailed;
        if (g_bDatabaseOpen == 0) {
            // Without the database no picture can be converted: one line says so.
            Fail("shg: " + strReason);
            break;
        }
        Fail("shg: " + ReasonNaming("publish", picture.strShg, strReason));
    }
    std::fflush(stdout);
    PrintUnresolvedSummary(kShgCommand, nUnresolved);
    if (nFailed > 0) return kExitFailure;
    return nUnresolved > 0 && parsed.Has("--strict") ? kExitFailure : kExitSuccess;
}

}  // namespace

const CCommand kShgCommand = {
    "shg",
    "publish hypergraphics as GIF pictures and image maps",
    "vellumdesk shg [-q] [--strict] DATABASE SHG KEY [SHG KEY]...\n"
    "       vellumdesk shg [-q] [--strict] DATABASE --list FILE",
    "Converts each hypergraphic SHG (its name ends in .SHG or .shg) of record KEY\n"
    "in the table Sources of the project database DATABASE, in order, in one\n"
    "database session: writes the picture as a GIF named after SHG into the\n"
    "folder the database assigns to \"_.gif\", and an HTML image map (the same\n"
    "name with the extension map) into the folder for \"_.map\". Each hotspot\n"
    "links to the page its heading is published as.\n"
    "\n"
    "  --list FILE  read the pictures from FILE, one \"KEY SHG\" a line (blanks\n"
    "               between; the path runs to the end of the line and may hold\n"
    "               blanks); blank lines and lines starting with # are skipped.\n"
    "               Relative paths count from the working folder. FILE \"-\" is\n"
    "               standard input.\n"
    "  -q, --quiet  print nothing on success.\n"
    "  --strict     an unresolved link fails the run (exit status 1).\n"
    "\n"
    "For each picture written, one line on stdout: the GIF's path, a tab, the\n"
    "map's path. A picture that fails gives one error line and the run goes on\n"
    "with the next; a database that cannot be opened stops it.\n"
    "\n"
    "A hotspot whose heading is not in the database links to the page\n"
    "\"00000.\" + the extension; each such link gives a warning\n"
    "\n"
    "  vellumdesk: shg: warning: SHG: hotspot N \"NAME\": no heading \"SOUGHT\" in group G (linked "
    "to PAGE)\n"
    "\n"
    "(N counts the hotspots from 1 in file order), and the run ends with\n"
    "\"vellumdesk: shg: N unresolved links\".\n"
    "\n"
    "Exit status: 0 when every picture was written, 1 when any failed (or, with\n"
    "--strict, when a link is unresolved), 2 on a usage error.\n",
    Run,
};

}  // namespace vd::cli
