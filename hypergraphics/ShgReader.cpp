#include "hypergraphics/ShgReader.h"

namespace vd {

CMemoryBlock ReadSHGFile(CFile&, CAreaList&) { return {}; }

}  // namespace vd
