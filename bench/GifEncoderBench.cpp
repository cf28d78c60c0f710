// Throughput of the GIF encoder against giflib's encoder on the same pixel
// indices, in megapixels per second of CPU time (best of several runs).
//
//   bench_gif_encoder [--quick]
//   bench_gif_encoder --write-bitmaps FOLDER
//
// The second form writes the two 4096 x 4096 8-bit pictures as bitmap files
// (screenshot.bmp, random.bmp) for measuring the tool, for example its peak
// memory with /usr/bin/time -v vellumdesk bmp2gif FOLDER/screenshot.bmp OUT/.
//
// Our encoder compresses packed bitmap rows (as a packed DIB holds them) and
// writes through its buffered writer to /dev/null; giflib gets the same
// indices one byte per pixel through EGifPutLine and writes to a callback
// that drops the bytes. Each line also says whether our bytes equal those of
// a literal step-by-step rendering of the encoder's design.
#include <gif_lib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/File.h"
#include "gif/BufferedWriter.h"
#include "gif/GifEncoder.h"
#include "tests/gif/GifTestSupport.h"

namespace {

using vd::test::Picture;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Best CPU times of nRuns runs of two pieces of work, run in turn so that
// both meet the same load of a shared machine.
std::pair<double, double> BestOfBoth(int nRuns, const std::function<void()>& first,
                                     const std::function<void()>& second) {
    double dFirst = 1e30;
    double dSecond = 1e30;
    for (int i = 0; i < nRuns; ++i) {
        double t0 = CpuSeconds();
        first();
        dFirst = std::min(dFirst, CpuSeconds() - t0);
        t0 = CpuSeconds();
        second();
        dSecond = std::min(dSecond, CpuSeconds() - t0);
    }
    return {dFirst, dSecond};
}

// Our encoder into a file.
void EncodeOurs(const Picture& picture, const std::vector<std::uint8_t>& rows,
                const std::string& path) {
    vd::CFile file;
    if (!file.Open(path, vd::CFile::modeCreateReadWriteExclusive)) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    vd::CBufferedWriter out(file);
    auto pEncoder = std::make_unique<vd::CGifEncoder>();
    pEncoder->Compress(out, static_cast<std::uint16_t>(picture.nDepth), rows.data(),
                       static_cast<std::uint16_t>(picture.nWidth),
                       static_cast<std::uint16_t>(picture.nHeight),
                       static_cast<std::uint32_t>(rows.size()));
    out.Flush();
    file.Close();
}

int DropBytes(GifFileType* pGif, const GifByteType*, int nCount) {
    *static_cast<std::size_t*>(pGif->UserData) += static_cast<std::size_t>(nCount);
    return nCount;
}

// giflib's encoder over the same indices; answers the bytes it wrote.
std::size_t EncodeGiflib(const Picture& picture) {
    std::size_t nWritten = 0;
    int nError = 0;
    GifFileType* pGif = EGifOpen(&nWritten, DropBytes, &nError);
    if (pGif == nullptr) std::exit(1);
    const int nColours = 1 << picture.nDepth;
    std::vector<GifColorType> colours(static_cast<std::size_t>(nColours));
    for (int i = 0; i < nColours; ++i) {
        const auto& c = picture.palette[static_cast<std::size_t>(i)];
        colours[static_cast<std::size_t>(i)] = {c[0], c[1], c[2]};
    }
    ColorMapObject* pMap = GifMakeMapObject(nColours, colours.data());
    const int w = static_cast<int>(picture.nWidth);
    const int h = static_cast<int>(picture.nHeight);
    EGifPutScreenDesc(pGif, w, h, picture.nDepth, 0, pMap);
    EGifPutImageDesc(pGif, 0, 0, w, h, false, nullptr);
    std::vector<GifPixelType> line(picture.nWidth);
    for (std::uint32_t y = 0; y < picture.nHeight; ++y) {
        std::memcpy(line.data(), picture.indices.data() + std::size_t{y} * picture.nWidth,
                    picture.nWidth);
        if (EGifPutLine(pGif, line.data(), w) != GIF_OK) std::exit(1);
    }
    EGifCloseFile(pGif, &nError);
    GifFreeMapObject(pMap);
    return nWritten;
}

std::vector<std::uint8_t> ReadFile(const char* pszPath) {
    std::vector<std::uint8_t> bytes;
    if (std::FILE* f = std::fopen(pszPath, "rb")) {
        std::uint8_t buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        std::fclose(f);
    }
    return bytes;
}

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
    return h;
}

void Measure(const char* pszName, const Picture& picture, int nRuns) {
    const std::vector<std::uint8_t> rows = vd::test::PackRows(picture);
    const double dPixels = double(picture.nWidth) * picture.nHeight;

    // Output bytes, checked once against the literal design.
    char tmpl[] = "/tmp/bench-gif-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd < 0) std::exit(1);
    close(fd);
    EncodeOurs(picture, rows, tmpl);
    std::vector<std::uint8_t> ours = ReadFile(tmpl);
    std::remove(tmpl);
    const std::vector<std::uint8_t> reference = vd::test::ReferenceCompress(
        picture.nDepth, rows.data(), picture.nWidth, static_cast<std::uint32_t>(rows.size()));

    std::size_t nGiflibBytes = 0;
    const auto [dOurs, dGiflib] = BestOfBoth(
        nRuns, [&] { EncodeOurs(picture, rows, "/dev/null"); },
        [&] { nGiflibBytes = EncodeGiflib(picture); });

    const double dOursRate = dPixels / dOurs / 1e6;
    const double dGiflibRate = dPixels / dGiflib / 1e6;
    std::printf("%-34s %8.1f %8.1f %7.2fx %10zu %10zu  %016llx %s\n", pszName, dOursRate,
                dGiflibRate, dOursRate / dGiflibRate, ours.size(), nGiflibBytes,
                static_cast<unsigned long long>(Fnv1a(ours)),
                ours == reference ? "same" : "DIFFERENT");
    std::fflush(stdout);
}

}  // namespace

// Writes a new file; a file already at path is left alone (the call fails).
bool WriteBitmap(const Picture& picture, const std::string& path) {
    const std::vector<std::uint8_t> bytes =
        vd::test::MakeBitmapFile(vd::test::MakePackedDib(picture));
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (f == nullptr) return false;
    const bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && bWritten;
}

const char kUsage[] =
    "usage: bench_gif_encoder [--quick]\n"
    "       bench_gif_encoder --write-bitmaps FOLDER\n\n"
    "Measures the GIF encoder's throughput against giflib's on the same pixel\n"
    "indices, in megapixels per second of processor time (best of several\n"
    "runs): 8-bit screenshot-like and random pictures of 4096 x 4096, and 4-bit\n"
    "and 1-bit pictures of 1024 x 768. Each line also gives the output sizes\n"
    "and whether our bytes equal a literal rendering of the encoder's design.\n\n"
    "  --quick                 one run each, the 8-bit pictures at 1024 x 1024\n"
    "  --write-bitmaps FOLDER  only write the two 4096 x 4096 8-bit pictures as\n"
    "                          FOLDER/screenshot.bmp and FOLDER/random.bmp (new\n"
    "                          files; existing ones are not replaced)\n";

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool bWriteBitmaps = argc == 3 && std::strcmp(argv[1], "--write-bitmaps") == 0;
    if (!bWriteBitmaps && argc > 1 && !(argc == 2 && std::strcmp(argv[1], "--quick") == 0)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (bWriteBitmaps) {
        const std::string folder = argv[2];
        if (!WriteBitmap(vd::test::ScreenshotPicture(8, 4096, 4096, 1),
                         folder + "/screenshot.bmp") ||
            !WriteBitmap(vd::test::RandomPicture(8, 4096, 4096, 1), folder + "/random.bmp")) {
            std::fprintf(stderr, "cannot write the bitmaps into %s\n", folder.c_str());
            return 1;
        }
        return 0;
    }
    const bool bQuick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int nRuns = bQuick ? 1 : 5;
    const std::uint32_t nBig = bQuick ? 1024 : 4096;
    std::printf("GIF encoder throughput, Mpixel/s of CPU time (best of %d)\n", nRuns);
    std::printf("%-34s %8s %8s %8s %10s %10s  %-16s %s\n", "picture", "ours", "giflib", "ratio",
                "our bytes", "giflib", "our FNV-1a", "vs design");
    const std::string big = std::to_string(nBig) + "x" + std::to_string(nBig);
    Measure((big + " 8-bit screenshot-like").c_str(), vd::test::ScreenshotPicture(8, nBig, nBig, 1),
            nRuns);
    Measure((big + " 8-bit random").c_str(), vd::test::RandomPicture(8, nBig, nBig, 1), nRuns);
    Measure("1024x768 4-bit screenshot-like", vd::test::ScreenshotPicture(4, 1024, 768, 1),
            nRuns * 2);
    Measure("1024x768 4-bit random", vd::test::RandomPicture(4, 1024, 768, 1), nRuns * 2);
    Measure("1024x768 1-bit screenshot-like", vd::test::ScreenshotPicture(1, 1024, 768, 1),
            nRuns * 2);
    Measure("1024x768 1-bit random", vd::test::RandomPicture(1, 1024, 768, 1), nRuns * 2);
    return 0;
}
