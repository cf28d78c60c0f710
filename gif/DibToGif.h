// Writes a packed DIB as a GIF file.
#pragma once

#include "common/File.h"
#include "common/MemoryBlock.h"

namespace vd {

// Writes the GIF for the packed DIB hDib to file (open for writing, at its
// start). Answers 1 when the GIF was written completely, 0 when the bitmap was
// refused before anything was written. A write error raises CFileException.
int ConvertDibToGif(CMemoryBlock& hDib, CFile& file);

}  // namespace vd
