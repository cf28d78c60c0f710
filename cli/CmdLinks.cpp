#include <cstdio>
#include <string>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/LinkReport.h"
#include "cli/PictureList.h"
#include "cli/Quoting.h"
#include "hypergraphics/ShgConversion.h"

namespace vd::cli {

namespace {

int Run(const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(args, {{"--strict", false}}, parsed, &strProblem)) {
        return UsageError(kLinksCommand, strProblem);
    }
    if (parsed.operands.size() != 3) {
        return UsageError(kLinksCommand, "expected DATABASE, SHG and KEY");
    }
    SPicture picture;
    picture.strShg = parsed.operands[1];
    if (!ParseSourceKey(parsed.operands[2], picture.nKey)) {
        return UsageError(kLinksCommand,
                          "KEY must be a whole number (32 bits), not '" + parsed.operands[2] + "'");
    }

    CLinkCollector links;
    SShgConversionRequest request;
    request.pLinks = &links;
    request.bWriteOutputs = false;
    request.bDatabaseErrorInReason = true;
    std::string strReason;
    const int nResult =
        bConvertSHGToGIFMAP(parsed.operands[0], picture.strShg, picture.nKey, &strReason, &request);
    if (nResult != 1) return Fail("links: " + ReasonNaming("resolve", picture.strShg, strReason));
    std::size_t nUnresolved = 0;
    for (const SLinkLine& line : links.Lines()) {
        std::printf("%zu %s %s %s%s\n", line.nHotspot, HotspotKindName(line.nType),
                    Quoted(line.strName).c_str(), Quoted(line.strTarget).c_str(),
                    line.bUnresolved ? " UNRESOLVED" : "");
        if (line.bUnresolved) ++nUnresolved;
    }
    std::fflush(stdout);
    return nUnresolved > 0 && parsed.Has("--strict") ? kExitFailure : kExitSuccess;
}

}  // namespace

const CCommand kLinksCommand = {
    "links",
    "show where each hotspot of a hypergraphic links to",
    "vellumdesk links [--strict] DATABASE SHG KEY",
    "Resolves the hotspots of the hypergraphic SHG of record KEY in the table\n"
    "Sources of DATABASE as the shg command does, but writes nothing. Prints one\n"
    "line per hotspot, in file order:\n"
    "\n"
    "  N KIND \"NAME\" \"PAGE\" [UNRESOLVED]\n"
    "\n"
    "N counts from 1; KIND is jump, popup or macro; PAGE is the page the hotspot\n"
    "links to (a macro's text for a macro); UNRESOLVED follows when the heading\n"
    "was not found and the link went to \"00000.\" + the extension.\n"
    "\n"
    "  --strict  exit status 1 when any link is unresolved.\n",
    Run,
};

}  // namespace vd::cli
