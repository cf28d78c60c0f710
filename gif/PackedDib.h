// The packed DIB: a bitmap in one movable memory block (40-byte information
// header, colour table, pixel rows bottom row first, each padded to 4 bytes),
// and the loader that reads a bitmap file into one.
#pragma once

#include "common/File.h"
#include "common/MemoryBlock.h"

namespace vd {

// Reads the bitmap file (positioned at its start) into a new packed DIB;
// answers the null handle when the file is not a bitmap file. A read error
// raises CFileException.
CMemoryBlock LoadPackedDib(CFile& file);

}  // namespace vd
