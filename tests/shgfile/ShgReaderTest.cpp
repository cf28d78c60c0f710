#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "hypergraphics/ShgDecoders.h"
#include "tests/TestSupport.h"
#include "tests/shgfile/ShgBuilder.h"
#include "tests/shgfile/ShgTestUtil.h"

namespace vd::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture with runs (for the packers) and varied bytes, bottom row first.
CShgDescription Picture(std::uint16_t nBitCount, std::uint32_t nWidth, std::uint32_t nHeight,
                        std::uint8_t nPacking = 0) {
    CShgDescription desc;
    desc.nBitCount = nBitCount;
    desc.nWidth = nWidth;
    desc.nHeight = nHeight;
    desc.nPacking = nPacking;
    const std::size_t nColours = std::size_t{1} << nBitCount;
    for (std::size_t n = 0; n < nColours; ++n) {
        desc.colourTable.push_back(static_cast<std::uint8_t>(n));
        desc.colourTable.push_back(static_cast<std::uint8_t>(n * 3));
        desc.colourTable.push_back(static_cast<std::uint8_t>(255 - n));
        desc.colourTable.push_back(0);
    }
    const std::size_t nRowBytes = RowBytes(nWidth, nBitCount);
    for (std::uint32_t nRow = 0; nRow < nHeight; ++nRow) {
        for (std::size_t n = 0; n < nRowBytes; ++n) {
            desc.pixels.push_back(n < nRowBytes / 3 ? 0x11
                                                    : static_cast<std::uint8_t>(n * 7 + nRow));
        }
    }
    return desc;
}

std::vector<CShgHotspotDescription> EveryHotspotType() {
    const std::uint8_t types[] = {0xE2, 0xE6, 0xE3, 0xE7, 0xEB, 0xEF, 0xC8, 0xCC};
    std::vector<CShgHotspotDescription> hotspots;
    std::uint16_t n = 0;
    for (std::uint8_t nType : types) {
        hotspots.push_back({nType, static_cast<std::uint16_t>(n * 3), static_cast<std::uint16_t>(n),
                            4, 5, "name" + std::to_string(n), "target" + std::to_string(n)});
        ++n;
    }
    hotspots.back().strName = "";    // an empty name still has its terminator
    hotspots.back().nLeft = 0xFFFF;  // widened without sign
    hotspots.back().nWidth = 0xFFFF;
    return hotspots;
}

void ExpectPicture(CShgReadResult& result, const CShgDescription& desc) {
    ASSERT_TRUE(result.m_block) << result.m_strReason;
    const Bytes bytes = BlockBytes(result.m_block);
    CDibView dib;
    ASSERT_TRUE(ParseDib(bytes, dib));
    EXPECT_EQ(dib.nWidth, static_cast<std::int32_t>(desc.nWidth));
    EXPECT_EQ(dib.nHeight, static_cast<std::int32_t>(desc.nHeight));
    EXPECT_EQ(dib.nBitCount, desc.nBitCount);
    EXPECT_EQ(dib.nCompression, 0u);
    EXPECT_EQ(dib.nSizeImage, desc.pixels.size());
    EXPECT_EQ(dib.nXPelsPerMeter, 3790);
    EXPECT_EQ(dib.nYPelsPerMeter, 3780);
    EXPECT_EQ(dib.colourTable, desc.colourTable);
    Bytes rows;
    for (const Bytes& row : dib.rows) rows.insert(rows.end(), row.begin(), row.end());
    EXPECT_EQ(rows, desc.pixels);
}

TEST(ShgReaderTest, EveryPackingLayoutAndDepthWithEveryHotspotType) {
    const EShgLayout layouts[] = {EShgLayout::Shortest, EShgLayout::Long38, EShgLayout::Short36,
                                  EShgLayout::LongForms};
    for (std::uint8_t nPacking = 0; nPacking <= 3; ++nPacking) {
        for (EShgLayout layout : layouts) {
            for (std::uint16_t nBits : {1, 4, 8}) {
                SCOPED_TRACE(testing::Message() << "packing " << int{nPacking} << " layout "
                                                << static_cast<int>(layout) << " bits " << nBits);
                CShgDescription desc = Picture(nBits, 37, 9, nPacking);
                desc.layout = layout;
                desc.nMagic = nBits == 4 ? 0x506C : 0x706C;
                desc.hotspots = EveryHotspotType();
                desc.macroData = {0x10, 0x00, 0x20};
                CShgReadResult result;
                ReadShgBytes(BuildShg(desc), result);
                ExpectPicture(result, desc);
                EXPECT_EQ(result.m_header.nPacking, nPacking);

                ASSERT_EQ(result.m_list.GetCount(), desc.hotspots.size());
                const std::int32_t types[] = {AREA_POPUP, AREA_POPUP, AREA_JUMP,  AREA_JUMP,
                                              AREA_JUMP,  AREA_JUMP,  AREA_MACRO, AREA_MACRO};
                std::size_t n = 0;
                for (const CArea* pArea : result.m_list) {
                    const CShgHotspotDescription& hotspot = desc.hotspots[n];
                    EXPECT_EQ(pArea->m_nType, types[n]) << n;
                    EXPECT_EQ(pArea->m_bVisible, (hotspot.nTypeByte & 4) ? 0 : 1) << n;
                    EXPECT_EQ(pArea->m_strName, hotspot.strName);
                    EXPECT_EQ(pArea->m_strTarget, hotspot.strTarget);
                    const CRect expected = {hotspot.nLeft, hotspot.nTop,
                                            hotspot.nLeft + hotspot.nWidth,
                                            hotspot.nTop + hotspot.nHeight};
                    EXPECT_EQ(pArea->m_rect, expected);
                    ASSERT_EQ(pArea->m_points.GetSize(), 2u);
                    EXPECT_EQ(pArea->m_points[0], (CPoint{expected.left, expected.top}));
                    EXPECT_EQ(pArea->m_points[1], (CPoint{expected.right, expected.bottom}));
                    EXPECT_EQ(pArea->m_nShape, 1);
                    EXPECT_EQ(pArea->m_rcBox, CRect{});
                    EXPECT_EQ(pArea->m_crLine, 0x00FF0000u);
                    EXPECT_EQ(pArea->m_nLineStyle, 2);
                    EXPECT_EQ(pArea->m_nLineWidth, 1);
                    ++n;
                }
                EXPECT_EQ(result.m_list.GetAt(desc.hotspots.size() - 1)->m_rect.right, 131070);
            }
        }
    }
}

// The 80-byte stored picture with one jump hotspot, byte for byte.
Bytes WorkedExample() {
    Bytes file = {0x6C, 0x70, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00,  // magic, count, offset
                  0x06, 0x00,                                      // bitmap, stored
                  0x00, 0x00, 0x00, 0x00,                          // resolutions
                  0x02, 0x02,                                      // planes, bits
                  0x04, 0x00, 0x04, 0x00,                          // width, height
                  0x04, 0x00, 0x00, 0x00,                          // colours, important
                  0x11, 0x00, 0x00, 0x00,                          // data size 8
                  0x2A, 0x00,                                      // hotspot size 21
                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // offsets
                  0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00,  // colour table
                  0x80, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,  // pixel rows
                  0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,        // hotspot header
                  0xE3, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,
                  0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,  // record
                  'A',  0x00, 'B',  0x00};
    return file;
}

TEST(ShgReaderTest, WorkedEightyByteExample) {
    const Bytes file = WorkedExample();
    ASSERT_EQ(file.size(), 80u);
    CShgReadResult result;
    ReadShgBytes(file, result);
    ASSERT_TRUE(result.m_block) << result.m_strReason;
    const Bytes block = BlockBytes(result.m_block);
    ASSERT_EQ(block.size(), 80u);
    CDibView dib;
    ASSERT_TRUE(ParseDib(block, dib));
    EXPECT_EQ(dib.nWidth, 2);
    EXPECT_EQ(dib.nHeight, 2);
    EXPECT_EQ(dib.nBitCount, 1);
    EXPECT_EQ(dib.nSizeImage, 8u);
    EXPECT_EQ(dib.nClrUsed, 0u);
    EXPECT_TRUE(std::equal(block.begin() + 40, block.begin() + 56, file.begin() + 38));
    EXPECT_TRUE(
        std::all_of(block.begin() + 56, block.end(), [](std::uint8_t b) { return b == 0; }));
    ASSERT_EQ(result.m_list.GetCount(), 1u);
    const CArea& area = *result.m_list.GetAt(0);
    EXPECT_EQ(area.m_nType, AREA_JUMP);
    EXPECT_EQ(area.m_bVisible, 1);
    EXPECT_EQ(area.m_rect, (CRect{0, 0, 2, 1}));
    EXPECT_EQ(area.m_strName, "A");
    EXPECT_EQ(area.m_strTarget, "B");
}

TEST(ShgReaderTest, ShortDataSizeFieldKeepsTheLastPackedByte) {
    // A 36-byte header holds the data size as twice the value in 2 bytes; the
    // whole packed data, its last byte included, must be decoded.
    CShgDescription desc = Picture(8, 5, 3, 1);
    desc.layout = EShgLayout::Short36;
    desc.pixels.back() = 0x5A;
    const Bytes file = BuildShg(desc);
    CShgReadResult result;
    ReadShgBytes(file, result);
    ExpectPicture(result, desc);
    EXPECT_EQ(result.m_header.nHeaderSize, 28u);
    EXPECT_EQ(result.m_header.nDataSize, PackRunLength(desc.pixels).size());
}

TEST(ShgReaderTest, PicturesWithoutHotspotsAndEmptyHotspotSections) {
    for (std::uint8_t nPacking = 0; nPacking <= 3; ++nPacking) {
        SCOPED_TRACE(int{nPacking});
        CShgDescription desc = Picture(4, 10, 4, nPacking);
        CShgReadResult plain;
        ReadShgBytes(BuildShg(desc), plain);
        ExpectPicture(plain, desc);
        EXPECT_TRUE(plain.m_list.IsEmpty());
        EXPECT_EQ(plain.m_header.nHotspotSize, 0u);

        // A section with a count of 0 takes no strings, even with macro data.
        desc.bHotspotSection = true;
        desc.macroData = {1, 2, 3};
        CShgReadResult empty;
        ReadShgBytes(BuildShg(desc), empty);
        ExpectPicture(empty, desc);
        EXPECT_TRUE(empty.m_list.IsEmpty());
    }
}

TEST(ShgReaderTest, ListHoldsOnlyTheNewAreasAndOldOnesStayAlive) {
    CArea old(1);
    old.m_strName = "old";
    CShgDescription desc = Picture(1, 8, 2);
    desc.hotspots = {{0xE2, 10, 20, 30, 40, "n", "t"}};
    CShgReadResult result;
    result.m_list.AddTail(&old);
    // ReadShgBytes empties the list without deleting the area it held.
    ReadShgBytes(BuildShg(desc), result);
    ASSERT_EQ(result.m_list.GetCount(), 1u);
    const CArea* pHead = result.m_list.GetHead();
    ASSERT_NE(pHead, nullptr);
    EXPECT_NE(pHead, &old);
    EXPECT_EQ(pHead->m_rect, (CRect{10, 20, 40, 60}));
    EXPECT_EQ(old.m_strName, "old");
}

TEST(ShgReaderTest, ShortColourTablesAreRecordedAndAFullOneIsNot) {
    CShgDescription desc = Picture(8, 6, 2, 2);
    desc.nColoursUsed = 3;
    desc.colourTable.resize(12);
    CShgReadResult result;
    ReadShgBytes(BuildShg(desc), result);
    ExpectPicture(result, desc);
    CDibView dib;
    ASSERT_TRUE(ParseDib(BlockBytes(result.m_block), dib));
    EXPECT_EQ(dib.nClrUsed, 3u);

    desc = Picture(4, 6, 2);
    desc.nColoursUsed = 16;  // the same as 0
    CShgReadResult full;
    ReadShgBytes(BuildShg(desc), full);
    ExpectPicture(full, desc);
    ASSERT_TRUE(ParseDib(BlockBytes(full.m_block), dib));
    EXPECT_EQ(dib.nClrUsed, 0u);
}

TEST(ShgReaderTest, BlockHoldsTheWholeDecodedPicture) {
    // A picture that packs far below its size: the block grows to hold every
    // row, and a later picture in the offset table is not needed.
    CShgDescription desc = Picture(8, 200, 150, 3);
    std::fill(desc.pixels.begin(), desc.pixels.end(), 0x07);
    desc.nExtraPictures = 2;
    const Bytes file = BuildShg(desc);
    ASSERT_LT(file.size(), desc.pixels.size() / 10);
    CShgReadResult result;
    ReadShgBytes(file, result);
    ExpectPicture(result, desc);
    EXPECT_EQ(result.m_block.GetSize(), 40 + 1024 + desc.pixels.size());
}

TEST(ShgReaderTest, PackedDataCutShortLeavesZeroRowsAndPackedExcessIsDropped) {
    CShgDescription desc = Picture(8, 16, 4, 1);
    Bytes file = BuildShg(desc);
    // The last runs are missing. Cut with erase, after checking there is
    // something to cut: a shrinking resize(size() - 10) looks to the compiler
    // like a possible growth by almost 2^64 bytes.
    ASSERT_GT(file.size(), 10u);
    file.erase(file.end() - 10, file.end());
    CShgReadResult result;
    ReadShgBytes(file, result);
    ASSERT_TRUE(result.m_block) << result.m_strReason;
    CDibView dib;
    ASSERT_TRUE(ParseDib(BlockBytes(result.m_block), dib));
    EXPECT_LT(dib.nSizeImage, desc.pixels.size());
    EXPECT_EQ(dib.rows.front(), Bytes(desc.pixels.begin(), desc.pixels.begin() + 16));
    EXPECT_EQ(dib.rows.back().back(), 0);
    EXPECT_NE(desc.pixels.back(), 0);

    // Runs that decode beyond the picture stop at the end of the block.
    CShgDescription big = Picture(8, 4, 1, 1);
    big.pixels.assign(5000, 0x33);
    CShgReadResult excess;
    ReadShgBytes(BuildShg(big), excess);
    ASSERT_TRUE(excess.m_block) << excess.m_strReason;
    ASSERT_TRUE(ParseDib(BlockBytes(excess.m_block), dib));
    EXPECT_EQ(dib.nSizeImage, excess.m_block.GetSize() - 40 - 1024);
}

TEST(ShgReaderTest, EveryByteAfterTheDataIsZeroWhateverTheMemoryHeldBefore) {
    // The block is not cleared when it is allocated: the reader zero-fills
    // what the data does not reach. Blocks of the same size freed just before
    // leave their bytes behind for it to find (and the sanitizer build fills
    // new memory with a pattern of its own).
    for (std::uint8_t nPacking = 0; nPacking <= 3; ++nPacking) {
        SCOPED_TRACE(static_cast<int>(nPacking));
        const CShgDescription desc = Picture(8, 64, 40, nPacking);
        Bytes file = BuildShg(desc);
        if (nPacking != 0) file.erase(file.end() - 40, file.end());  // data cut short
        const std::size_t nBlock = std::max<std::size_t>(40 + 1024 + 64 * 40, file.size());
        for (int n = 0; n < 4; ++n) {
            std::vector<std::uint8_t> dirty(nBlock, 0xEE);
            // Keeps the compiler from leaving out the allocation.
            asm volatile("" : : "r"(dirty.data()) : "memory");
        }
        CShgReadResult result;
        ReadShgBytes(file, result);
        ASSERT_TRUE(result.m_block) << result.m_strReason;
        const Bytes block = BlockBytes(result.m_block);
        CDibView dib;
        ASSERT_TRUE(ParseDib(block, dib));
        const std::size_t nEnd = 40 + 1024 + dib.nSizeImage;
        ASSERT_LE(nEnd, block.size());
        EXPECT_EQ(std::count(block.begin() + static_cast<std::ptrdiff_t>(nEnd), block.end(), 0),
                  static_cast<std::ptrdiff_t>(block.size() - nEnd));
        EXPECT_EQ(nPacking == 0, dib.nSizeImage == desc.pixels.size());
    }
}

TEST(ShgReaderTest, RefusesWhatItCannotRead) {
    struct Case {
        const char* pszWhat;
        Bytes file;
        const char* pszReason;
    };
    const Bytes good = BuildShg(Picture(4, 8, 2));
    auto with = [&](std::size_t nPos, std::uint8_t nValue) {
        Bytes file = good;
        file.at(nPos) = nValue;
        return file;
    };
    CShgDescription bits16 = Picture(8, 4, 2);
    bits16.nBitCount = 16;
    bits16.colourTable.clear();
    CShgDescription planes2 = Picture(4, 4, 2);
    planes2.nPlanes = 2;
    CShgDescription tooManyColours = Picture(1, 4, 2);
    tooManyColours.nColoursUsed = 3;
    CShgDescription huge = Picture(8, 1, 1);
    huge.layout = EShgLayout::LongForms;
    huge.nWidth = 0x7FFFFFFF;
    huge.nHeight = 0x7FFFFFFF;
    CShgDescription storedShort = Picture(8, 4, 4);
    Bytes storedShortFile = BuildShg(storedShort);
    storedShortFile.pop_back();
    CShgDescription storedLong = Picture(1, 8, 1);
    storedLong.pixels.resize(400000);  // larger than the picture and the file

    const Case cases[] = {
        {"empty file", {}, "SHG"},
        {"seven bytes", Bytes(good.begin(), good.begin() + 7), "SHG"},
        {"wrong magic", with(1, 0x71), "magic"},
        {"magic in the other order", with(0, 0x70), "magic"},
        {"no picture", with(2, 0), "no picture"},
        {"picture offset inside the table", with(4, 4), "offset"},
        {"picture offset beyond the file", with(5, 0x40), "offset"},
        {"header cut short", Bytes(good.begin(), good.begin() + 20), "cut short"},
        {"device-dependent picture", with(8, 5), "type 5"},
        {"bitmap header read as a metafile", with(8, 8), "metafile"},
        {"unknown packing", with(9, 4), "packing"},
        {"16 bits", BuildShg(bits16), "16 bits"},
        {"two planes", BuildShg(planes2), "planes"},
        {"too many colours", BuildShg(tooManyColours), "colours"},
        {"huge picture", BuildShg(huge), "cannot fill"},
        {"stored data cut short", storedShortFile, "cut short"},
        {"stored data larger than the block", BuildShg(storedLong), "does not fit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CShgReadResult result;
        ReadShgBytes(c.file, result);
        EXPECT_FALSE(result.m_block);
        EXPECT_NE(result.m_strReason.find(c.pszReason), std::string::npos) << result.m_strReason;
        EXPECT_TRUE(result.m_list.IsEmpty());
    }
}

TEST(ShgReaderTest, RefusesAPictureItsDataCannotFillBeforeAllocatingIt) {
    // Each packing's data claims a picture far beyond what it can decode to;
    // the block would be 4 GiB.
    for (std::uint8_t nPacking = 0; nPacking <= 3; ++nPacking) {
        SCOPED_TRACE(int{nPacking});
        CShgDescription claim = Picture(8, 64, 64, nPacking);
        claim.nWidth = 65535;
        claim.nHeight = 65535;
        CShgReadResult result;
        ReadShgBytes(BuildShg(claim), result);
        EXPECT_FALSE(result.m_block);
        EXPECT_NE(result.m_strReason.find("cannot fill"), std::string::npos) << result.m_strReason;
    }
    // Run-length data at its densest (128 bytes per 2) still fills its picture.
    CShgDescription dense = Picture(8, 256, 4, 1);
    std::fill(dense.pixels.begin(), dense.pixels.end(), std::uint8_t{0});
    CShgReadResult result;
    ReadShgBytes(BuildShg(dense), result);
    EXPECT_TRUE(result.m_block) << result.m_strReason;
}

TEST(ShgReaderTest, BadHotspotTypesFailWithTheAreasReadSoFar) {
    for (std::uint8_t nBad : {0xEA, 0xEE, 0xE0, 0x00, 0xC9}) {
        SCOPED_TRACE(int{nBad});
        CShgDescription desc = Picture(1, 8, 2);
        desc.hotspots = {{0xE2, 1, 1, 1, 1, "a", "b"}, {nBad, 1, 1, 1, 1, "c", "d"}};
        CShgReadResult result;
        ReadShgBytes(BuildShg(desc), result);
        EXPECT_FALSE(result.m_block);
        EXPECT_NE(result.m_strReason.find("type byte"), std::string::npos);
        EXPECT_EQ(result.m_list.GetCount(), 1u);  // deleted by the result's owner
    }
}

TEST(ShgReaderTest, EveryTruncationOfTheHotspotSectionFails) {
    CShgDescription desc = Picture(4, 8, 2, 1);
    desc.hotspots = EveryHotspotType();
    desc.macroData = Bytes(20, 0xAB);
    const Bytes file = BuildShg(desc);
    const std::size_t nPictureEnd = file.size() - 7 - 15 * desc.hotspots.size() - 20 - [&] {
        std::size_t n = 0;
        for (const auto& h : desc.hotspots) n += h.strName.size() + h.strTarget.size() + 2;
        return n;
    }();
    for (std::size_t nLength = nPictureEnd; nLength < file.size(); ++nLength) {
        SCOPED_TRACE(nLength);
        CShgReadResult result;
        ReadShgBytes(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(nLength)),
                     result);
        EXPECT_FALSE(result.m_block);
    }
    CShgReadResult whole;
    ReadShgBytes(file, whole);
    EXPECT_TRUE(whole.m_block) << whole.m_strReason;
}

TEST(ShgReaderTest, ArbitraryTruncationsAndCorruptionsNeverCrash) {
    // Each prefix and each single-byte change of a file with every feature;
    // the sanitizer build checks that nothing reads or writes out of bounds.
    CShgDescription desc = Picture(4, 13, 3, 3);
    desc.hotspots = EveryHotspotType();
    desc.macroData = {1, 2};
    const Bytes file = BuildShg(desc);
    for (std::size_t nLength = 0; nLength <= file.size(); ++nLength) {
        CShgReadResult result;
        ReadShgBytes(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(nLength)),
                     result);
    }
    for (std::size_t nPos = 0; nPos < file.size(); ++nPos) {
        for (std::uint8_t nValue : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            Bytes changed = file;
            changed[nPos] = nValue;
            CShgReadResult result;
            ReadShgBytes(changed, result);
        }
    }
}

}  // namespace
}  // namespace vd::test
