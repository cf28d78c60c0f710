// Every file of the BMP Suite through the exported conversion: the good
// indexed bitmaps decode to what an independent reader (Pillow, or
// ImageMagick for 4-bit run-length files) gets from them; the questionable
// and bad files convert or answer 0, never crash or read out of bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"
#include "vellumdesk.h"

namespace vd {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

fs::path Suite() { return test::TestDataDir() / "bmpsuite"; }

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

// Whether the library converts the file: a 40-byte header, 1, 4 or 8 bits,
// plain rows or the run-length encoding of its depth.
bool Convertible(const Bytes& file) {
    if (file.size() < 54 || Le(file, 14, 4) != 40) return false;
    const std::uint32_t nBits = Le(file, 28, 2);
    const std::uint32_t nCompression = Le(file, 30, 4);
    return (nBits == 1 || nBits == 4 || nBits == 8) &&
           (nCompression == 0 || (nCompression == 1 && nBits == 8) ||
            (nCompression == 2 && nBits == 4));
}

std::vector<fs::path> Files(const std::string& strSub) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(Suite() / strSub)) {
        if (entry.path().extension() == ".bmp") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::uint64_t Fnv1a(const Bytes& bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
    return h;
}

struct Reference {
    int nWidth = 0, nHeight = 0;
    std::string strChecksum, strReader;
};

// The checksums that independent readers give
// (tests/gif/data/make_bmpsuite_reference.py).
std::map<std::string, Reference> LoadReference(const fs::path& path) {
    std::map<std::string, Reference> refs;
    std::ifstream in(path);
    std::string strName;
    Reference ref;
    while (in >> strName >> ref.nWidth >> ref.nHeight >> ref.strChecksum >> ref.strReader) {
        refs[strName] = ref;
    }
    return refs;
}

std::string ChecksumOf(const test::DecodedGif& gif) {
    Bytes rgb;
    for (std::uint8_t i : gif.indices) {
        const test::Rgb c = i < gif.colours.size() ? gif.colours[i] : test::Rgb{0, 0, 0};
        rgb.insert(rgb.end(), c.begin(), c.end());
    }
    char sz[17];
    std::snprintf(sz, sizeof sz, "%016llx", static_cast<unsigned long long>(Fnv1a(rgb)));
    return sz;
}

void ExpectMatches(const std::map<std::string, Reference>& refs, const fs::path& file,
                   const test::CTempDir& out) {
    const std::string strKey = "g/" + file.filename().string();
    const auto it = refs.find(strKey);
    ASSERT_NE(it, refs.end()) << "no reference for " << strKey;
    const test::DecodedGif gif = test::DecodeWithGiflib(out.File(file.stem().string() + ".gif"));
    ASSERT_TRUE(gif.bOk) << gif.strError;
    EXPECT_EQ(gif.nImageWidth, it->second.nWidth);
    EXPECT_EQ(gif.nImageHeight, it->second.nHeight);
    EXPECT_EQ(ChecksumOf(gif), it->second.strChecksum);
}

TEST(BmpSuite, GoodIndexedFilesDecodeToWhatAnIndependentReaderGets) {
    VD_REQUIRE_TESTDATA("bmpsuite");
    const auto refs =
        LoadReference(fs::path(VD_SOURCE_DIR) / "tests/gif/data/bmpsuite-reference.txt");
    int nConverted = 0;
    for (const fs::path& file : Files("g")) {
        SCOPED_TRACE(file.string());
        test::CTempDir out;
        const int nResult = ::bConvertBmpToGif(file.c_str(), out.Prefix().c_str());
        const fs::path gif = out.File(file.stem().string() + ".gif");
        if (Convertible(test::ReadBytes(file))) {
            ASSERT_EQ(nResult, 1);
            ExpectMatches(refs, file, out);
            ++nConverted;
        } else {
            // Other headers and depths are refused by the conversion itself.
            EXPECT_EQ(nResult, 0);
            EXPECT_TRUE(fs::is_empty(out.Path()));
        }
    }
    EXPECT_EQ(nConverted, 15);
}

TEST(BmpSuite, QuestionableAndBadFilesConvertOrAnswerZero) {
    VD_REQUIRE_TESTDATA("bmpsuite");
    int nFiles = 0;
    for (const std::string strSub : {"q", "b"}) {
        for (const fs::path& file : Files(strSub)) {
            SCOPED_TRACE(file.string());
            ++nFiles;
            test::CTempDir out;
            const int nResult = ::bConvertBmpToGif(file.c_str(), out.Prefix().c_str());
            const fs::path gif = out.File(file.stem().string() + ".gif");
            if (nResult == 1) {
                const test::DecodedGif decoded = test::DecodeWithGiflib(gif);
                ASSERT_TRUE(decoded.bOk) << decoded.strError;
                const Bytes bytes = test::ReadBytes(file);
                EXPECT_EQ(decoded.nImageWidth, static_cast<int>(Le(bytes, 18, 4)));
                const auto nHeight = static_cast<std::int32_t>(Le(bytes, 22, 4));
                EXPECT_EQ(decoded.nImageHeight, nHeight < 0 ? -nHeight : nHeight);
            } else {
                EXPECT_EQ(nResult, 0);
                EXPECT_TRUE(!fs::exists(gif) || fs::file_size(gif) == 0);
            }
        }
    }
    EXPECT_GT(nFiles, 50);
}

TEST(BmpSuite, RowsFollowTheColourTableWhateverTheOffsetField) {
    VD_REQUIRE_TESTDATA("bmpsuite/q/pal8offs.bmp");
    const fs::path file = Suite() / "q/pal8offs.bmp";
    const Bytes bytes = test::ReadBytes(file);
    const std::uint32_t nWidth = Le(bytes, 18, 4);
    const std::uint32_t nHeight = Le(bytes, 22, 4);
    const std::uint32_t nColours = Le(bytes, 46, 4) != 0 ? Le(bytes, 46, 4) : 256;
    const std::size_t nRows = 14 + 40 + 4 * std::size_t{nColours};
    ASSERT_NE(Le(bytes, 10, 4), nRows);  // the file's offset field points past a gap
    test::CTempDir out;
    ASSERT_EQ(::bConvertBmpToGif(file.c_str(), out.Prefix().c_str()), 1);
    const test::DecodedGif gif = test::DecodeWithGiflib(out.File("pal8offs.gif"));
    ASSERT_TRUE(gif.bOk) << gif.strError;
    // Row y from the top is stored row nHeight - 1 - y after the colour table.
    const std::size_t nStride = (nWidth + 3) / 4 * 4;
    Bytes expected;
    for (std::uint32_t y = 0; y < nHeight; ++y) {
        const std::size_t nAt = nRows + (nHeight - 1 - y) * nStride;
        for (std::uint32_t x = 0; x < nWidth; ++x) {
            // Past the file's end lie the zero bytes that end the loaded block.
            expected.push_back(nAt + x < bytes.size() ? bytes[nAt + x] : 0);
        }
    }
    EXPECT_EQ(gif.indices, expected);
}

TEST(BmpSuite, ReferenceIsWhatTheReadersGive) {
    VD_REQUIRE_TESTDATA("bmpsuite");
    const std::string strPython =
        test::FindProgram({"python3", "/usr/bin/python3"}, "-c 'import PIL'");
    if (strPython.empty()) GTEST_SKIP() << "python3 with Pillow (python3-pil) is not available";
    if (test::FindProgram({"convert"}, "-version").empty()) {
        GTEST_SKIP() << "ImageMagick's convert is not available";
    }
    test::CTempDir dir;
    const std::string command = strPython + " " + VD_SOURCE_DIR +
                                "/tests/gif/data/make_bmpsuite_reference.py '" + Suite().string() +
                                "' > " + dir.File("ref.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::ReadBytes(dir.File("ref.txt")),
              test::ReadBytes(fs::path(VD_SOURCE_DIR) / "tests/gif/data/bmpsuite-reference.txt"));
}

}  // namespace
}  // namespace vd
