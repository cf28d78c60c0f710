// Reads a segmented hypergraphic (SHG/MRB file) into a packed DIB and its
// hotspot areas.
#pragma once

#include <cstdint>

#include "common/File.h"
#include "common/MemoryBlock.h"

namespace vd {

class CAreaList;

// Reads the picture and its hotspots from file (open, at its start). Empties
// list first, then appends one new CArea per hotspot; the caller owns them,
// also when the reader fails. Answers the packed DIB, or the null handle.
CMemoryBlock ReadSHGFile(CFile& file, CAreaList& list);

}  // namespace vd
