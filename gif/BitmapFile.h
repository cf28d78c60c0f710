// A bitmap file being converted to GIF. Its packed DIB is the one that
// LoadPackedDib would make, and ConvertToGif writes the GIF that
// ConvertDibToGif would write for it, byte for byte; but for plain rows only
// the header and the colour table are read into memory, and the rows are
// read from the file while the GIF is written, a window at a time. Only
// run-length bitmaps are loaded whole; a bitmap that is refused is refused
// by its header alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/File.h"
#include "common/MemoryBlock.h"
#include "gif/DibLayout.h"

namespace vd {

class CBitmapFile {
  public:
    // Reads what the conversion needs from file, which is positioned at its
    // start and must stay open until ConvertToGif has returned. Answers false
    // when the file is not a bitmap file (too short, no "BM", or shorter than
    // its length promised). A read error raises CFileException.
    bool Load(CFile& file);

    // Writes the GIF to target: answers 1, or 0 when the bitmap is refused
    // before anything was written (why in *pstrReason, when given). Read and
    // write errors raise CFileException.
    int ConvertToGif(CFile& target, std::string* pstrReason);

  private:
    CFile* m_pSource = nullptr;
    // Unless the rows are run-length encoded: the first bytes of the packed
    // DIB (header and colour table), the size of the whole block, and its
    // layout.
    std::vector<std::uint8_t> m_head;
    std::uint64_t m_nBlockSize = 0;
    CDibLayout m_layout;
    // Run-length rows: the whole packed DIB.
    CMemoryBlock m_hDib;
};

}  // namespace vd
