// Every GIF the library writes for the shared test data, the BMP Suite, the
// sample pictures and the benchmarks' pictures keeps its exact bytes: each
// output's size and FNV-1a digest are compared with those recorded in
// tests/gif/data/output-digests.txt. Setting VD_RECORD_DIGESTS=FILE writes
// the current digests to FILE instead of comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/File.h"
#include "gif/BmpConversion.h"
#include "gif/DibToGif.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ShgReader.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/shgfile/ShgBuilder.h"

namespace vd::test {
namespace {

namespace fs = std::filesystem;
using Digests = std::map<std::string, std::string>;

std::string DigestOf(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
    char sz[48];
    std::snprintf(sz, sizeof sz, "%zu:%016llx", bytes.size(), static_cast<unsigned long long>(h));
    return sz;
}

// The GIF of a bitmap file through the exported conversion, or "refused".
std::string BitmapDigest(const fs::path& bitmap, const CTempDir& out) {
    std::string strReason;
    if (bConvertBmpToGif(bitmap.string(), out.Prefix(), &strReason) != 1) return "refused";
    const fs::path gif = GifNameForBitmap(bitmap.string(), out.Prefix());
    const std::string strDigest = DigestOf(ReadBytes(gif));
    fs::remove(gif);
    return strDigest;
}

// The GIF of an SHG file's picture, or "refused".
std::string ShgDigest(const fs::path& shg, const CTempDir& out) {
    CFile source;
    if (!source.Open(shg.string(), CFile::modeReadShareDenyWrite)) return "unreadable";
    CAreaList list;
    CAreaListOwner owner(list);
    CMemoryBlock hDib = ReadSHGFile(source, list);
    if (!hDib) return "refused";
    const std::string strGif = out.File("picture.gif");
    {
        CFile target;
        if (!target.Open(strGif, CFile::modeCreateReadWriteExclusive)) return "unwritable";
        if (ConvertDibToGif(hDib, target) != 1) return "refused";
        target.Close();
    }
    return DigestOf(ReadBytes(strGif));
}

// The benchmarks' pictures (and variants with odd widths and rows stored top
// row first) as bitmap files and as LZ77-packed SHG files.
void AddGeneratedPictures(Digests& digests, const CTempDir& out) {
    struct Generated {
        const char* pszName;
        Picture picture;
        bool bTopDown;
    };
    const Generated bitmaps[] = {
        {"screenshot-8-4096", ScreenshotPicture(8, 4096, 4096, 1), false},
        {"random-8-4096", RandomPicture(8, 4096, 4096, 1), false},
        {"random-4-1024x768", RandomPicture(4, 1024, 768, 1), false},
        {"document-1-4096", ScreenshotPicture(1, 4096, 4096, 1), false},
        {"screenshot-8-640x480", ScreenshotPicture(8, 640, 480, 1), false},
        {"screenshot-4-1021x77-topdown", ScreenshotPicture(4, 1021, 77, 2), true},
        {"random-1-1001x93-topdown", RandomPicture(1, 1001, 93, 3), true},
        {"random-8-333x517", RandomPicture(8, 333, 517, 4), false},
    };
    for (const Generated& g : bitmaps) {
        DibOptions options;
        options.bTopDown = g.bTopDown;
        const fs::path bitmap = out.Path() / (std::string(g.pszName) + ".bmp");
        WriteBytes(bitmap, MakeBitmapFile(MakePackedDib(g.picture, options)));
        digests[std::string("bench/") + g.pszName + ".bmp"] = BitmapDigest(bitmap, out);
        fs::remove(bitmap);
    }
    for (std::uint8_t nPacking : {2, 3}) {
        const Picture picture = ScreenshotPicture(8, 1024, 1024, 5);
        CShgDescription desc;
        desc.nPacking = nPacking;
        desc.nWidth = picture.nWidth;
        desc.nHeight = picture.nHeight;
        for (const Rgb& c : picture.palette)
            desc.colourTable.insert(desc.colourTable.end(), {c[2], c[1], c[0], 0});
        desc.pixels = PackRows(picture);
        const fs::path shg =
            out.Path() / ("screenshot-packing" + std::to_string(nPacking) + ".shg");
        WriteBytes(shg, BuildShg(desc));
        digests["bench/" + shg.filename().string()] = ShgDigest(shg, out);
        fs::remove(shg);
    }
}

Digests CurrentDigests() {
    Digests digests;
    const CTempDir out;
    const fs::path data = TestDataDir();
    if (!data.empty()) {
        for (const char* pszSub : {"bmpsuite/g", "bmpsuite/q", "bmpsuite/b", "shg"}) {
            if (!fs::exists(data / pszSub)) continue;
            for (const auto& entry : fs::directory_iterator(data / pszSub)) {
                const fs::path& path = entry.path();
                const std::string strKey = std::string(pszSub) + "/" + path.filename().string();
                if (path.extension() == ".bmp") digests[strKey] = BitmapDigest(path, out);
                if (path.extension() == ".shg" || path.extension() == ".mrb") {
                    digests[strKey] = ShgDigest(path, out);
                }
            }
        }
    }
    for (const auto& entry : fs::directory_iterator(fs::path(VD_SOURCE_DIR) / "examples/sample")) {
        const fs::path& path = entry.path();
        const std::string strKey = "sample/" + path.filename().string();
        if (path.extension() == ".bmp") digests[strKey] = BitmapDigest(path, out);
        if (path.extension() == ".shg") digests[strKey] = ShgDigest(path, out);
    }
    AddGeneratedPictures(digests, out);
    return digests;
}

TEST(OutputDigests, EveryOutputKeepsItsRecordedBytes) {
    const Digests current = CurrentDigests();
    if (const char* pszRecord = std::getenv("VD_RECORD_DIGESTS")) {
        std::ofstream record(pszRecord);
        for (const auto& [strName, strDigest] : current)
            record << strName << ' ' << strDigest << '\n';
        GTEST_SKIP() << "digests recorded in " << pszRecord;
    }
    Digests recorded;
    std::ifstream in(fs::path(VD_SOURCE_DIR) / "tests/gif/data/output-digests.txt");
    for (std::string strName, strDigest; in >> strName >> strDigest;) recorded[strName] = strDigest;
    ASSERT_FALSE(recorded.empty());
    int nCompared = 0;
    for (const auto& [strName, strDigest] : current) {
        const auto it = recorded.find(strName);
        // Shared test data that was absent when the digests were recorded.
        if (it == recorded.end()) continue;
        EXPECT_EQ(strDigest, it->second) << strName;
        ++nCompared;
    }
    // The sample and generated pictures are always there.
    EXPECT_GE(nCompared, 13);
}

}  // namespace
}  // namespace vd::test
