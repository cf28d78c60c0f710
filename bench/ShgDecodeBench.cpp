// In-process conversion of LZ77-packed SHG pictures against the same picture
// from an uncompressed BMP: CPU time of reading the file and writing the GIF
// (to /dev/null), best of several runs, measured in turn in one run. Then a
// true-colour SHG picture of 200 colours against the same picture stored at
// 8 bits per pixel, both LZ77-packed: what counting the colours and turning
// the pixels into indices costs on top of reading three times the bytes.
//
//   bench_shg_decode [--quick] [WORK-FOLDER]
//
// The SHG and BMP files go into a new folder inside WORK-FOLDER (default
// $TMPDIR or /tmp); that folder is removed at the end, nothing else.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchUsage.h"
#include "bench/ScratchFolder.h"
#include "common/File.h"
#include "gif/BitmapFile.h"
#include "gif/DibToGif.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ShgDecoders.h"
#include "hypergraphics/ShgReader.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/shgfile/ShgBuilder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

// A fast greedy LZ77 packer (the tests' packer tries every distance, which
// is too slow for large pictures): candidates are the last position of the
// same three bytes, the byte before and the row above.
Bytes PackLz77(const Bytes& data, std::size_t nStride) {
    Bytes out;
    std::vector<std::int64_t> last(1 << 16, -1);
    std::size_t nFlagIndex = 0;
    int nBit = 8;
    auto matchLength = [&](std::size_t n, std::size_t nDistance) {
        std::size_t nLength = 0;
        const std::size_t nMax = std::min<std::size_t>(18, data.size() - n);
        while (nLength < nMax && data[n + nLength - nDistance] == data[n + nLength]) ++nLength;
        return nLength;
    };
    for (std::size_t n = 0; n < data.size();) {
        if (nBit == 8) {
            nFlagIndex = out.size();
            out.push_back(0);
            nBit = 0;
        }
        std::size_t nBest = 0, nBestDistance = 0;
        std::size_t nHash = 0;
        if (n + 3 <= data.size()) {
            nHash =
                ((data[n] << 8) ^ (data[n + 1] << 4) ^ data[n + 2] ^ (data[n + 2] << 12)) & 0xFFFF;
            std::size_t candidates[3] = {1, nStride, 0};
            if (last[nHash] >= 0) candidates[2] = n - static_cast<std::size_t>(last[nHash]);
            for (std::size_t nDistance : candidates) {
                if (nDistance == 0 || nDistance > 4096 || nDistance > n) continue;
                const std::size_t nLength = matchLength(n, nDistance);
                if (nLength > nBest) {
                    nBest = nLength;
                    nBestDistance = nDistance;
                }
            }
            last[nHash] = static_cast<std::int64_t>(n);
        }
        if (nBest >= 3) {
            out[nFlagIndex] = static_cast<std::uint8_t>(out[nFlagIndex] | (1u << nBit));
            const std::uint32_t nToken =
                static_cast<std::uint32_t>(((nBest - 3) << 12) | (nBestDistance - 1));
            out.push_back(static_cast<std::uint8_t>(nToken));
            out.push_back(static_cast<std::uint8_t>(nToken >> 8));
            n += nBest;
        } else {
            out.push_back(data[n++]);
        }
        ++nBit;
    }
    return out;
}

// The SHG file of a picture with the packed data given, in packing nPacking;
// at 24 bits per pixel when bTrueColour (the palette then only gives the
// colours of the rows).
Bytes MakeShg(const vd::test::Picture& picture, const Bytes& packed, std::uint8_t nPacking,
              bool bTrueColour = false) {
    vd::test::CShgDescription desc;
    desc.nPacking = 4;  // the builder stores the bytes unchanged for unknown packings
    desc.nWidth = picture.nWidth;
    desc.nHeight = picture.nHeight;
    desc.nBitCount = static_cast<std::uint16_t>(bTrueColour ? 24 : picture.nDepth);
    for (const vd::test::Rgb& c : picture.palette) {
        if (bTrueColour) break;
        desc.colourTable.insert(desc.colourTable.end(), {c[2], c[1], c[0], 0});
    }
    desc.pixels = packed;
    Bytes shg = vd::test::BuildShg(desc);
    shg[9] = nPacking;  // the first picture's packing byte
    return shg;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && bWritten;
}

void ConvertShg(const std::string& path) {
    vd::CFile source, target;
    vd::CAreaList list;
    vd::CAreaListOwner owner(list);
    if (!source.Open(path, vd::CFile::modeReadShareDenyWrite) ||
        !target.Open("/dev/null", vd::CFile::modeCreateReadWriteExclusive)) {
        std::exit(1);
    }
    vd::CMemoryBlock hDib = vd::ReadSHGFile(source, list);
    if (!hDib || vd::ConvertDibToGif(hDib, target) != 1) std::exit(1);
}

void ConvertBmp(const std::string& path) {
    vd::CFile source, target;
    if (!source.Open(path, vd::CFile::modeReadShareDenyWrite) ||
        !target.Open("/dev/null", vd::CFile::modeCreateReadWriteExclusive)) {
        std::exit(1);
    }
    vd::CBitmapFile bitmap;
    if (!bitmap.Load(source) || bitmap.ConvertToGif(target, nullptr) != 1) std::exit(1);
}

constexpr char kUsage[] =
    "usage: bench_shg_decode [--quick] [WORK-FOLDER]\n"
    "Converts LZ77-packed SHG pictures and the same pictures as uncompressed BMPs\n"
    "to GIF in-process and prints the CPU time of each (best of several runs),\n"
    "then a 24-bit SHG picture of 200 colours against the same picture at 8 bits.\n"
    "Files go into a new folder inside WORK-FOLDER (default $TMPDIR or /tmp); only\n"
    "those files and that folder are removed afterwards.\n"
    "  --quick  1024 x 1024 pictures and fewer runs\n";

}  // namespace

int main(int argc, char** argv) {
    SQuickRun run;
    if (const std::optional<int> nStatus = CheckQuickRun(argc, argv, kUsage, run)) return *nStatus;
    const bool bQuick = run.bQuick;
    const std::string& strWork = run.strWork;
    const std::unique_ptr<CScratchFolder> scratch = MakeScratchFolder("bench_shg_decode", strWork);
    if (!scratch) return 1;
    const std::string strDir = scratch->Path().string();
    const std::uint32_t nSide = bQuick ? 1024 : 4096;
    const int nRuns = bQuick ? 3 : 7;
    const std::string strSide = std::to_string(nSide) + "x" + std::to_string(nSide);

    struct Case {
        std::string strName;
        vd::test::Picture picture;
        std::uint8_t nPacking;
    };
    const Case cases[] = {
        {strSide + " 8-bit screenshot-like, LZ77", vd::test::ScreenshotPicture(8, nSide, nSide, 1),
         2},
        {strSide + " 8-bit screenshot-like, LZ77+RLE",
         vd::test::ScreenshotPicture(8, nSide, nSide, 1), 3},
        {strSide + " 4-bit screenshot-like, LZ77", vd::test::ScreenshotPicture(4, nSide, nSide, 2),
         2},
    };
    std::printf("In-process conversion to GIF: CPU ms (best of %d)\n", nRuns);
    std::printf("%-40s %9s %9s %7s %9s\n", "picture", "SHG", "BMP", "ratio", "packed KiB");
    const std::string strShg = strDir + "/picture.shg";
    const std::string strBmp = strDir + "/picture.bmp";
    bool bOk = true;
    for (const Case& c : cases) {
        const Bytes rows = vd::test::PackRows(c.picture);
        const std::size_t nStride = rows.size() / c.picture.nHeight;
        const Bytes packed = c.nPacking == 2 ? PackLz77(rows, nStride)
                                             : PackLz77(vd::test::PackRunLength(rows), nStride);
        if (!WriteFile(strShg, MakeShg(c.picture, packed, c.nPacking)) ||
            !WriteFile(strBmp, vd::test::MakeBitmapFile(vd::test::MakePackedDib(c.picture)))) {
            std::fprintf(stderr, "cannot write into %s\n", strDir.c_str());
            bOk = false;
            break;
        }
        double dShg = 1e30, dBmp = 1e30;
        for (int n = 0; n < nRuns; ++n) {
            double t0 = CpuMs();
            ConvertShg(strShg);
            dShg = std::min(dShg, CpuMs() - t0);
            t0 = CpuMs();
            ConvertBmp(strBmp);
            dBmp = std::min(dBmp, CpuMs() - t0);
        }
        std::printf("%-40s %9.2f %9.2f %6.2fx %9zu\n", c.strName.c_str(), dShg, dBmp, dShg / dBmp,
                    packed.size() / 1024);
        std::fflush(stdout);
    }
    if (!bOk) return 1;

    // The screenshot-like picture in 200 colours, at 8 and at 24 bits.
    vd::test::Picture picture = vd::test::ScreenshotPicture(8, nSide, nSide, 3);
    picture.palette = vd::test::ColourPalette(200, 3);
    for (std::uint8_t& nIndex : picture.indices) nIndex = static_cast<std::uint8_t>(nIndex % 200);
    // A title bar in a gradient of all 200 colours across the top 32 rows.
    for (std::size_t y = 0; y < 32; ++y) {
        for (std::size_t x = 0; x < nSide; ++x) {
            picture.indices[y * nSide + x] = static_cast<std::uint8_t>(x * 200 / nSide);
        }
    }
    const Bytes rows8 = vd::test::PackRows(picture);
    const std::size_t nStride8 = rows8.size() / nSide;
    const std::size_t nStride24 = (std::size_t{nSide} * 3 + 3) / 4 * 4;
    Bytes rows24(nStride24 * nSide, 0);
    for (std::size_t y = 0; y < nSide; ++y) {
        for (std::size_t x = 0; x < nSide; ++x) {
            const vd::test::Rgb& c = picture.palette[rows8[y * nStride8 + x]];
            std::uint8_t* p = rows24.data() + y * nStride24 + 3 * x;
            p[0] = c[2];
            p[1] = c[1];
            p[2] = c[0];
        }
    }
    const std::string strShg8 = strDir + "/picture8.shg";
    if (!WriteFile(strShg8, MakeShg(picture, PackLz77(rows8, nStride8), 2)) ||
        !WriteFile(strShg, MakeShg(picture, PackLz77(rows24, nStride24), 2, true))) {
        std::fprintf(stderr, "cannot write into %s\n", strDir.c_str());
        return 1;
    }
    double d24 = 1e30, d8 = 1e30;
    for (int n = 0; n < nRuns; ++n) {
        double t0 = CpuMs();
        ConvertShg(strShg);
        d24 = std::min(d24, CpuMs() - t0);
        t0 = CpuMs();
        ConvertShg(strShg8);
        d8 = std::min(d8, CpuMs() - t0);
    }
    std::printf("\nTrue colour against 8 bits, the same picture as SHG (LZ77): CPU ms\n");
    std::printf("%-40s %9s %9s %7s\n", "picture", "24-bit", "8-bit", "ratio");
    std::printf("%-40s %9.2f %9.2f %6.2fx\n", (strSide + " 200 colours").c_str(), d24, d8,
                d24 / d8);
    return 0;
}
