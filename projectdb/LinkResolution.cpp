#include "projectdb/LinkResolution.h"

#include <cstdio>

#include "frame/LibraryState.h"
#include "hypergraphics/AreaList.h"
#include "projectdb/Engine.h"
#include "projectdb/LinkSink.h"

namespace vd {
namespace {

// A page name: the prefix, the page number with at least five digits,
// zero-padded as "%05d" does (longer numbers are written in full), a dot and
// the extension.
std::string PageName(const char* pszPrefix, std::int32_t nNumber, const std::string& strExtension) {
    char buffer[16];
    const int n = std::snprintf(buffer, sizeof buffer, "%05d", static_cast<int>(nNumber));
    std::string strName = pszPrefix;
    strName.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    strName += '.';
    strName += strExtension;
    return strName;
}

// From the current HeadLines record under "IDX", follows first subheadings
// down while the next record is in nGroup and deeper; answers the Number of
// the last heading reached. The cursor is left after it.
std::int32_t DescendToFirstLeaf(CEngineRecordset& headings, std::int32_t nGroup) {
    for (;;) {
        const std::int32_t nDeep = headings.GetLong("Deep");
        const std::int32_t nNumber = headings.GetLong("Number");
        headings.MoveNext();
        if (headings.IsEOF() || headings.GetLong("Idx") != nGroup ||
            headings.GetLong("Deep") <= nDeep) {
            return nNumber;
        }
    }
}

// Sets one area's target (see ResolveAreaLink) and fills the lookup part of
// outcome: whether a heading was sought, where, and whether it was found.
void ResolveOneArea(CArea& area, std::int32_t nMainGroup, std::int32_t nProfileKey,
                    SLinkResolution& outcome) {
    CEngineRecordset& profiles = *g_pCompileStamm;
    std::string strExtension;
    std::string strStartPage;
    profiles.SetIndex("IDX");
    if (profiles.Seek({nProfileKey})) {
        strExtension = profiles.GetText("Extension");
        strStartPage = profiles.GetText("StartPage");
    }

    if (area.m_nType == AREA_MACRO) return;

    // Pop-up topics form the group after the main document's headings.
    const std::int32_t nGroup = area.m_nType == AREA_POPUP ? nMainGroup + 1 : nMainGroup;
    // The hotspot's name carries a one-character prefix before the heading name.
    const std::string strName =
        area.m_strName.size() > 1 ? area.m_strName.substr(1) : std::string();
    outcome.bLookedUp = true;
    outcome.nGroup = nGroup;
    outcome.strSought = strName;

    outcome.bFound = bFindHeading(nGroup, strName);
    if (!outcome.bFound) {
        area.m_strTarget = "00000.";
        area.m_strTarget += strExtension;
        return;
    }
    CEngineRecordset& headings = *g_pHeadLines;
    if (area.m_nType == AREA_POPUP) {
        area.m_strTarget = PageName("p", headings.GetLong("Number"), strExtension);
        return;
    }
    const std::int32_t nMainFirstLeaf = nFirstLeafNumber(nGroup);
    const std::int32_t nLeaf = DescendToFirstLeaf(headings, nGroup);
    if (nLeaf == nMainFirstLeaf) {
        area.m_strTarget = strStartPage;
    } else {
        area.m_strTarget = PageName("t", nLeaf, strExtension);
    }
}

}  // namespace

bool bResolveLinks(CAreaList& list, CLinkSink* pSink) {
    // All lookups of one picture read one state of the database.
    CReadingScope reading(g_pDatabase.get());
    const std::int32_t nMainGroup = g_pSources->GetLong("MainDocHeadLinesIdx");
    const std::int32_t nProfileKey = g_pSources->GetLong("CompileStammIdx");
    std::size_t nHotspot = 0;
    for (CArea* pArea : list) {
        SLinkResolution outcome;
        outcome.nHotspot = ++nHotspot;
        outcome.pArea = pArea;
        ResolveOneArea(*pArea, nMainGroup, nProfileKey, outcome);
        if (pSink != nullptr) pSink->LinkResolved(outcome);
    }
    return true;
}

void ResolveAreaLink(CArea& area, std::int32_t nMainGroup, std::int32_t nProfileKey) {
    SLinkResolution outcome;
    ResolveOneArea(area, nMainGroup, nProfileKey, outcome);
}

bool bFindHeading(std::int32_t nGroup, const std::string& strName) {
    CEngineRecordset& headings = *g_pHeadLines;
    // An empty table finds nothing: the seek answers no match.
    headings.SetIndex("IDXNAME");
    if (!headings.Seek({nGroup, strName})) return false;
    // Keep the found heading current under the outline order, so that the
    // next record is the next heading of the document.
    const CBookmark found = headings.GetBookmark();
    headings.SetIndex("IDX");
    headings.SetBookmark(found);
    return true;
}

std::int32_t nFirstLeafNumber(std::int32_t nGroup) {
    CEngineRecordset& headings = *g_pHeadLines;
    const CBookmark current = headings.GetBookmark();
    headings.SetIndex("IDX");
    if (!headings.Seek({nGroup})) {
        // Only reached when the caller's heading is not in nGroup.
        throw CEngineException("HeadLines holds no heading of group " + std::to_string(nGroup) +
                               ".");
    }
    const std::int32_t nNumber = DescendToFirstLeaf(headings, nGroup);
    headings.SetBookmark(current);
    return nNumber;
}

}  // namespace vd
