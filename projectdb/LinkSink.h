// What link resolution found for each hotspot, for callers that report links
// (the command-line tool). The exported operations pass no sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vd {

class CArea;

struct SLinkResolution {
    std::size_t nHotspot = 0;      // 1 for the first hotspot, in file order
    const CArea* pArea = nullptr;  // type, name and the target just set
    bool bLookedUp = false;        // false for a macro hotspot (no lookup)
    bool bFound = false;           // the heading was found
    std::int32_t nGroup = 0;       // the heading group searched
    std::string strSought;         // the heading name searched for
};

class CLinkSink {
  public:
    virtual ~CLinkSink() = default;
    // Called once per hotspot, in list order, after its target was set.
    virtual void LinkResolved(const SLinkResolution& link) = 0;
};

}  // namespace vd
