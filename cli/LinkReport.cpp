#include "cli/LinkReport.h"

#include <cstdio>

#include "cli/Quoting.h"
#include "hypergraphics/Area.h"

namespace vd::cli {

void CLinkCollector::LinkResolved(const SLinkResolution& link) {
    SLinkLine line;
    line.nHotspot = link.nHotspot;
    line.nType = link.pArea->m_nType;
    line.strName = link.pArea->m_strName;
    line.strTarget = link.pArea->m_strTarget;
    line.bUnresolved = link.bLookedUp && !link.bFound;
    line.nGroup = link.nGroup;
    line.strSought = link.strSought;
    m_lines.push_back(std::move(line));
}

const char* HotspotKindName(std::int32_t nType) {
    switch (nType) {
        case AREA_POPUP:
            return "popup";
        case AREA_JUMP:
            return "jump";
        case AREA_MACRO:
            return "macro";
        default:
            return "unknown";
    }
}

std::size_t WarnUnresolved(const CCommand& command, const std::string& strShg,
                           const CLinkCollector& links) {
    std::size_t nUnresolved = 0;
    for (const SLinkLine& line : links.Lines()) {
        if (!line.bUnresolved) continue;
        ++nUnresolved;
        Warn(command, RecordField(strShg) + ": hotspot " + std::to_string(line.nHotspot) + " " +
                          Quoted(line.strName) + ": no heading " + Quoted(line.strSought) +
                          " in group " + std::to_string(line.nGroup) + " (linked to " +
                          line.strTarget + ")");
    }
    return nUnresolved;
}

void PrintUnresolvedSummary(const CCommand& command, std::size_t nUnresolved) {
    if (nUnresolved == 0) return;
    // One form for every count, so that scripts can match it.
    std::fprintf(stderr, "vellumdesk: %s: %zu unresolved links\n", command.pszName, nUnresolved);
}

}  // namespace vd::cli
