// The link report of the shg and links commands: collects how each hotspot's
// link was resolved and prints what the user must see.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "projectdb/LinkSink.h"

namespace vd::cli {

struct SLinkLine {
    std::size_t nHotspot = 0;
    std::int32_t nType = 0;
    std::string strName;
    std::string strTarget;
    bool bUnresolved = false;  // the heading was sought and not found
    std::int32_t nGroup = 0;
    std::string strSought;
};

class CLinkCollector : public CLinkSink {
  public:
    void LinkResolved(const SLinkResolution& link) override;

    const std::vector<SLinkLine>& Lines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

  private:
    std::vector<SLinkLine> m_lines;
};

// "jump", "popup" or "macro".
const char* HotspotKindName(std::int32_t nType);

// One warning line per unresolved link of strShg:
//   vellumdesk: shg: warning: SHG: hotspot N "NAME": no heading "SOUGHT" in group G
//   (linked to PAGE)
// Answers how many there were.
std::size_t WarnUnresolved(const CCommand& command, const std::string& strShg,
                           const CLinkCollector& links);

// "vellumdesk: COMMAND: N unresolved links" (this form for every N > 0).
void PrintUnresolvedSummary(const CCommand& command, std::size_t nUnresolved);

}  // namespace vd::cli
