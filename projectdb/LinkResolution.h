// Resolving hotspot targets: every pop-up and jump area of a hypergraphic
// gets the file name of the publication page it links to.
#pragma once

#include <cstdint>
#include <string>

namespace vd {

class CArea;
class CAreaList;
class CLinkSink;

// Resolves the target of every area of list, in list order, for the current
// Sources record (its main heading group and compile profile). Always
// answers true. Moves the HeadLines and CompileStamm cursors only; engine
// errors pass to the caller. pSink, when given, hears each area's outcome.
bool bResolveLinks(CAreaList& list, CLinkSink* pSink = nullptr);

// Sets area.m_strTarget: "p%05d.<ext>" for a pop-up (heading looked up in
// group nMainGroup + 1), "t%05d.<ext>" for a jump to the first leaf under the
// heading (or the start page when that is the main document's first leaf),
// "00000.<ext>" when the heading is not found; macro areas keep theirs.
void ResolveAreaLink(CArea& area, std::int32_t nMainGroup, std::int32_t nProfileKey);

// True when HeadLines holds a heading of nGroup named strName; the heading is
// then the current record under the index "IDX".
bool bFindHeading(std::int32_t nGroup, const std::string& strName);

// The Number of the first leaf of nGroup (the descent through first
// subheadings from the group's first heading). Leaves the current HeadLines
// record as it found it.
std::int32_t nFirstLeafNumber(std::int32_t nGroup);

}  // namespace vd
