#include "tests/shgfile/ShgTestUtil.h"

#include <gtest/gtest.h>

#include "common/File.h"
#include "gif/DibToGif.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/shgfile/ShgBuilder.h"

namespace vd::test {

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t nPos) {
    return static_cast<std::uint32_t>(bytes[nPos]) |
           (static_cast<std::uint32_t>(bytes[nPos + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[nPos + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[nPos + 3]) << 24);
}

}  // namespace

bool ParseDib(const std::vector<std::uint8_t>& bytes, CDibView& view, std::size_t nPixelOffset) {
    if (bytes.size() < 40) {
        ADD_FAILURE() << "a DIB of " << bytes.size() << " bytes has no header";
        return false;
    }
    EXPECT_EQ(Le32(bytes, 0), 40u);
    view.nWidth = static_cast<std::int32_t>(Le32(bytes, 4));
    view.nHeight = static_cast<std::int32_t>(Le32(bytes, 8));
    view.nBitCount = static_cast<std::uint16_t>(bytes[14] | (bytes[15] << 8));
    view.nCompression = Le32(bytes, 16);
    view.nSizeImage = Le32(bytes, 20);
    view.nXPelsPerMeter = static_cast<std::int32_t>(Le32(bytes, 24));
    view.nYPelsPerMeter = static_cast<std::int32_t>(Le32(bytes, 28));
    view.nClrUsed = Le32(bytes, 32);
    const bool bTrueColour = view.nBitCount == 24 || view.nBitCount == 32;
    if ((view.nBitCount > 8 && !bTrueColour) || view.nWidth < 0 || view.nHeight < 0) {
        view.colourTable.clear();
        view.rows.clear();
        return true;  // only the header is of interest
    }
    const std::size_t nColours =
        view.nClrUsed != 0 || bTrueColour ? view.nClrUsed : (1u << view.nBitCount);
    const std::size_t nTableEnd = 40 + nColours * 4;
    const std::size_t nRowBytes = RowBytes(static_cast<std::uint32_t>(view.nWidth), view.nBitCount);
    const std::size_t nStart = nPixelOffset != 0 ? nPixelOffset : nTableEnd;
    if (nTableEnd > bytes.size() || nStart + nRowBytes * view.nHeight > bytes.size()) {
        ADD_FAILURE() << "a DIB of " << bytes.size() << " bytes cannot hold its " << view.nHeight
                      << " rows";
        return false;
    }
    view.colourTable.assign(bytes.begin() + 40,
                            bytes.begin() + static_cast<std::ptrdiff_t>(nTableEnd));
    view.rows.clear();
    for (std::int32_t nRow = 0; nRow < view.nHeight; ++nRow) {
        const auto it = bytes.begin() + static_cast<std::ptrdiff_t>(nStart + nRowBytes * nRow);
        view.rows.emplace_back(it, it + static_cast<std::ptrdiff_t>(nRowBytes));
    }
    return true;
}

std::vector<std::uint8_t> BlockBytes(CMemoryBlock& block) {
    CMemoryLock lock(block);
    return {lock.Data(), lock.Data() + lock.Size()};
}

void ReadShgBytes(const std::vector<std::uint8_t>& bytes, CShgReadResult& result) {
    CTempDir dir;
    const std::string path = dir.File("picture.shg");
    WriteBytes(path, bytes);
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeReadShareDenyWrite));
    result.m_block = ReadSHGFile(file, result.m_list, &result.m_strReason, &result.m_header);
    if (result.m_block) {
        EXPECT_EQ(result.m_block.GetLockCount(), 0) << "the block comes back unlocked";
    } else {
        EXPECT_FALSE(result.m_strReason.empty()) << "a failure says why";
    }
}

std::vector<std::array<std::uint8_t, 3>> PublishedColours(CMemoryBlock& picture) {
    CTempDir dir;
    CFile gif;
    EXPECT_TRUE(gif.Open(dir.File("p.gif"), CFile::modeCreateReadWriteExclusive));
    std::string strReason;
    EXPECT_EQ(ConvertDibToGif(picture, gif, &strReason), 1) << strReason;
    gif.Close();
    const DecodedGif decoded = DecodeWithGiflib(dir.File("p.gif"));
    EXPECT_TRUE(decoded.bOk) << decoded.strError;
    return PixelColours(decoded);
}

}  // namespace vd::test
