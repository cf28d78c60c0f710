// Loading bitmap files into packed DIBs, and the header accessors.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "common/File.h"
#include "gif/PackedDib.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Loads bytes written to a file; answers the block's bytes, or nullopt for
// the null handle.
std::optional<Bytes> Load(const Bytes& content) {
    test::CTempDir dir;
    test::WriteBytes(dir.File("in.bmp"), content);
    CFile file;
    EXPECT_TRUE(file.Open(dir.File("in.bmp"), CFile::modeReadShareDenyWrite));
    CMemoryBlock block = LoadPackedDib(file);
    if (!block) return std::nullopt;
    EXPECT_EQ(block.GetLockCount(), 0);
    CMemoryLock lock(block);
    return Bytes(lock.Data(), lock.Data() + lock.Size());
}

TEST(LoadPackedDib, TakesEverythingAfterTheFileHeader) {
    // Exactly 14 bytes with the magic: a 14-byte zero block.
    Bytes header{'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(Load(header), Bytes(14, 0));

    // The body is copied to the block's start; the 14 surplus bytes stay zero.
    const test::Picture picture = test::RandomPicture(8, 5, 3);
    const Bytes dib = test::MakePackedDib(picture);
    Bytes expected = dib;
    expected.resize(dib.size() + 14, 0);
    EXPECT_EQ(Load(test::MakeBitmapFile(dib)), expected);

    // The offset field is not used: a file pointing past a gap loads the same.
    Bytes file = test::MakeBitmapFile(dib);
    file[10] = 0xFF;
    file[11] = 0x7F;
    EXPECT_EQ(Load(file), expected);
}

TEST(LoadPackedDib, RefusesWhatIsNoBitmapFile) {
    EXPECT_EQ(Load({}), std::nullopt);
    EXPECT_EQ(Load({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt);  // 13 bytes
    EXPECT_EQ(Load({'M', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}), std::nullopt);
    EXPECT_EQ(Load({'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt);
}

Bytes InfoHeader(std::int32_t nWidth, std::int32_t nHeight, std::uint16_t nBits,
                 std::uint32_t nClrUsed) {
    Bytes h(40, 0);
    WriteLe32(h.data(), 40);
    WriteLe32(h.data() + 4, static_cast<std::uint32_t>(nWidth));
    WriteLe32(h.data() + 8, static_cast<std::uint32_t>(nHeight));
    h[14] = static_cast<std::uint8_t>(nBits);
    WriteLe32(h.data() + 32, nClrUsed);
    return h;
}

TEST(PackedDibAccessors, ReadTheInformationHeader) {
    Bytes h = InfoHeader(70000, -3, 8, 0);
    EXPECT_EQ(GetBitmapWidth(h.data(), h.size()), 70000);
    EXPECT_EQ(GetBitmapHeight(h.data(), h.size()), -3);
    EXPECT_EQ(GetColourCount(h.data(), h.size()), 256u);
    EXPECT_EQ(GetColourTableSize(h.data(), h.size()), 1024u);

    h = InfoHeader(1, 1, 8, 20);
    EXPECT_EQ(GetColourCount(h.data(), h.size()), 20u);
    h = InfoHeader(1, 1, 24, 0);
    EXPECT_EQ(GetColourCount(h.data(), h.size()), 0u);
    h = InfoHeader(1, 1, 4, 0);
    EXPECT_EQ(GetColourCount(h.data(), h.size()), 16u);
    h = InfoHeader(1, 1, 1, 0);
    EXPECT_EQ(GetColourCount(h.data(), h.size()), 2u);
    // A count beyond 16 bits is answered whole, not cut down.
    h = InfoHeader(1, 1, 8, 65537);
    EXPECT_EQ(GetColourCount(h.data(), h.size()), 65537u);
    EXPECT_EQ(GetColourTableSize(h.data(), h.size()), 4u * 65537u);
}

TEST(PackedDibAccessors, ReadTheCoreHeaderAndStayInsideTheBlock) {
    Bytes core{12, 0, 0, 0, 0x34, 0x12, 0xFF, 0xFF, 1, 0, 4, 0};
    EXPECT_EQ(GetBitmapWidth(core.data(), core.size()), 0x1234);
    EXPECT_EQ(GetBitmapHeight(core.data(), core.size()), 0xFFFF);
    EXPECT_EQ(GetColourCount(core.data(), core.size()), 16u);
    EXPECT_EQ(GetColourTableSize(core.data(), core.size()), 48u);

    // Headers cut short answer 0.
    EXPECT_EQ(GetBitmapWidth(core.data(), 11), 0);
    const Bytes h = InfoHeader(5, 5, 8, 0);
    EXPECT_EQ(GetBitmapHeight(h.data(), 39), 0);
    EXPECT_EQ(GetColourCount(h.data(), 39), 0u);
    EXPECT_EQ(GetBitmapWidth(h.data(), 3), 0);
    EXPECT_EQ(GetBitmapWidth(nullptr, 40), 0);
}

}  // namespace
}  // namespace vd
