// Writes a true-colour bitmap of at most 256 colours as a GIF, pixel for
// pixel: the colours become the GIF's colour table in the order in which
// they first appear (top row first, each row from left to right), and the
// pixels their indices, at the smallest of 1, 4 and 8 bits that holds them.
#pragma once

#include <cstdint>
#include <string>

#include "common/File.h"
#include "common/MemoryBlock.h"
#include "gif/DibLayout.h"
#include "gif/RowSource.h"

namespace vd {

// The reason given for a picture of more colours than a GIF holds.
std::string TooManyColoursReason();

// rows are the stored rows of the bitmap that layout describes (24 or 32
// bits per pixel); they are read twice, to count the colours and to write
// the pixels. Answers 1 when the GIF was written, 0 (with *pstrReason when
// given) when the picture has more than 256 colours and nothing was written.
// Write errors raise CFileException; rows that show a colour that was not
// there when they were counted raise CException.
int WriteTrueColourGif(CFile& file, const CDibLayout& layout, CRowSource& rows,
                       std::string* pstrReason);

// The same picture as a packed DIB of 1, 4 or 8 bits per pixel, for the
// true-colour packed DIB of nSize bytes at pDib: the colours and the rows
// (in the same order) that WriteTrueColourGif would write, so that its GIF
// is the same. Its colour table has 256 entries (biClrUsed), of which the
// first nColours (biClrImportant) are the picture's and the rest black. The
// pixels are read once. nColours receives the number of colours (257 for more
// than 256). Answers the null handle, with *pstrReason when given, when
// the bitmap is refused (see ReadDibLayout) or has more than 256 colours;
// raises CMemoryException when the block cannot be had.
CMemoryBlock MakeIndexedDib(const std::uint8_t* pDib, std::size_t nSize, std::uint32_t& nColours,
                            std::string* pstrReason);

}  // namespace vd
