// Writes a packed DIB as a GIF file.
#pragma once

#include <string>

#include "common/File.h"
#include "common/MemoryBlock.h"
#include "gif/DibLayout.h"
#include "gif/RowSource.h"

namespace vd {

// Writes the GIF for the packed DIB hDib to file (open for writing, at its
// start). Answers 1 when the GIF was written completely, 0 when the bitmap was
// refused before anything was written. A write error raises CFileException.
int ConvertDibToGif(CMemoryBlock& hDib, CFile& file);

// The same; when the bitmap is refused, pstrReason (when given) receives why.
//
// Accepted: a 40-byte information header, 1, 4 or 8 bits per pixel, plain
// rows or run-length rows (RLE8 at 8 bits, RLE4 at 4 bits, bottom row first),
// plain rows stored bottom row first or top row first (negative height),
// width and height up to 65535, and a colour table and rows that lie inside
// the block. The colour table holds biClrUsed entries (2^depth when 0) and the
// rows follow it directly. The GIF's colour table has 2^depth entries; those
// the bitmap does not give are black. For plain rows, the DIB's biSizeImage
// is set to the size of the rows. Also accepted: a true-colour bitmap (24 or
// 32 bits, see ReadDibLayout) of at most 256 colours, written as
// WriteTrueColourGif writes it; its DIB is not changed.
int ConvertDibToGif(CMemoryBlock& hDib, CFile& file, std::string* pstrReason);

// Writes the whole GIF of a bitmap that ReadDibLayout has accepted: the
// colour table at pColourTable (its entries up to 2^depth are read) and the
// plain rows from rows. Write errors raise CFileException.
void WriteGif(CFile& file, const CDibLayout& layout, const std::uint8_t* pColourTable,
              CRowSource& rows);

}  // namespace vd
