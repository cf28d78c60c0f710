#include "gif/BitmapFile.h"

#include <limits>

#include "gif/DibToGif.h"
#include "gif/FileRows.h"
#include "gif/PackedDib.h"
#include "gif/TrueColourGif.h"

namespace vd {

namespace {

// Bytes of the packed DIB read ahead: the information header and a colour
// table of 256 entries, the most the GIF takes.
constexpr std::uint64_t kHeadBytes = kInfoHeaderSize + 4 * 256;

}  // namespace

bool CBitmapFile::Load(CFile& file) {
    m_pSource = &file;
    const std::uint64_t nLength = file.GetLength();
    std::uint8_t fileHeader[kFileHeaderSize];
    if (file.Read(fileHeader, sizeof fileHeader) < sizeof fileHeader) return false;
    if (ReadLe16(fileHeader) != 0x4D42) return false;  // "BM"
    if (nLength < kFileHeaderSize || nLength > std::numeric_limits<std::size_t>::max()) {
        return false;
    }

    // The block that LoadPackedDib makes is the file's length in size: the
    // body, then 14 zero bytes. Its head is read the same way.
    m_nBlockSize = nLength;
    m_head.assign(static_cast<std::size_t>(nLength < kHeadBytes ? nLength : kHeadBytes), 0);
    const std::uint64_t nBody = nLength - kFileHeaderSize;
    const auto nWanted = static_cast<std::size_t>(nBody < m_head.size() ? nBody : m_head.size());
    if (file.Read(m_head.data(), nWanted) != nWanted) return false;
    // A bitmap that will be refused needs nothing more: its header tells why.
    if (!ReadDibLayout(m_head.data(), static_cast<std::size_t>(nLength), m_layout, nullptr) ||
        !m_layout.bRle) {
        return true;
    }
    // Run-length rows are decoded from the whole block.
    m_head.clear();
    file.Seek(-static_cast<std::int64_t>(file.GetPosition()));
    m_hDib = LoadPackedDib(file);
    return static_cast<bool>(m_hDib);
}

int CBitmapFile::ConvertToGif(CFile& target, std::string* pstrReason) {
    if (m_head.empty()) return ConvertDibToGif(m_hDib, target, pstrReason);
    if (!ReadDibLayout(m_head.data(), static_cast<std::size_t>(m_nBlockSize), m_layout,
                       pstrReason)) {
        return 0;
    }
    // Block offset b is file offset b + 14; the block's last 14 bytes, past
    // the end of the file, are zero.
    CFileRows rows(*m_pSource, kFileHeaderSize + m_layout.nRowsOffset,
                   static_cast<std::uint32_t>(m_layout.nStride), m_layout.nHeight, m_nBlockSize);
    if (m_layout.bTrueColour) return WriteTrueColourGif(target, m_layout, rows, pstrReason);
    WriteGif(target, m_layout, m_head.data() + kInfoHeaderSize, rows);
    return 1;
}

}  // namespace vd
