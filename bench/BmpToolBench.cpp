// Whole-process bitmap conversion: `vellumdesk bmp2gif` against a giflib
// program that reads rows as it needs them (bench_giflib_bmp2gif), both run
// as child processes on the same bitmap files, in turn, so that both meet
// the same load. Prints the CPU time (user + system, best of several runs)
// and the peak resident memory of each, and their ratios.
//
//   bench_bmp2gif [--quick] [WORK-FOLDER]
//
// The bitmaps and GIFs go into a new folder made inside WORK-FOLDER (default:
// $TMPDIR or /tmp); the program removes that folder and nothing else. Without --quick a 16384 x
// 16384 8-bit bitmap (256 MiB) is converted once more to show the peak memory of a large picture.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchUsage.h"
#include "bench/ScratchFolder.h"
#include "tests/gif/GifTestSupport.h"

namespace {

using vd::test::Picture;

struct Usage {
    double dCpuMs = 1e30;  // best user + system time
    long nPeakKiB = 0;     // largest peak resident set seen
    bool bOk = true;
};

// Runs a program to its end; adds its CPU time and peak memory to usage.
void RunChild(const std::vector<std::string>& args, Usage& usage) {
    std::vector<char*> argv;
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) std::exit(1);
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int nStatus = 0;
    rusage ru{};
    if (wait4(pid, &nStatus, 0, &ru) != pid || !WIFEXITED(nStatus) || WEXITSTATUS(nStatus) != 0) {
        usage.bOk = false;
        return;
    }
    const double dMs = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
                       (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-3;
    usage.dCpuMs = std::min(usage.dCpuMs, dMs);
    usage.nPeakKiB = std::max(usage.nPeakKiB, ru.ru_maxrss);
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool bWritten = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && bWritten;
}

// A large 8-bit bitmap written row by row (bands of flat colour and of noise)
// without holding the picture in memory.
bool WriteLargeBitmap(const std::string& path, std::uint32_t nSide) {
    Picture header;
    header.nDepth = 8;
    header.nWidth = 1;
    header.nHeight = 1;
    header.indices = {0};
    header.palette = vd::test::GreyPalette(8);
    const std::vector<std::uint8_t> file =
        vd::test::MakeBitmapFile(vd::test::MakePackedDib(header));
    // Without the one padded row of the 1 x 1 picture.
    std::vector<std::uint8_t> bytes(file.begin(), file.end() - 4);
    const std::uint32_t nSize = nSide * nSide;
    std::memcpy(&bytes[18], &nSide, 4);
    std::memcpy(&bytes[22], &nSide, 4);
    std::memcpy(&bytes[34], &nSize, 4);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::vector<std::uint8_t> row(nSide);
    std::uint32_t nState = 1;
    for (std::uint32_t y = 0; y < nSide && bOk; ++y) {
        for (std::uint32_t x = 0; x < nSide; ++x) {
            nState = nState * 1664525u + 1013904223u;
            row[x] = (x / 512 + y / 512) % 3 == 0 ? static_cast<std::uint8_t>(nState >> 24)
                                                  : static_cast<std::uint8_t>((x / 64) ^ (y / 64));
        }
        bOk = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && bOk;
}

constexpr char kUsage[] =
    "usage: bench_bmp2gif [--quick] [WORK-FOLDER]\n"
    "Runs `vellumdesk bmp2gif` and a row-reading giflib program on the same bitmaps and\n"
    "prints CPU time (user+system, best of several runs) and peak memory of each.\n"
    "Files go into a new folder inside WORK-FOLDER (default $TMPDIR or /tmp), and only\n"
    "those files and that folder are removed afterwards.\n"
    "  --quick  fewer runs, and no 16384 x 16384 bitmap\n";

}  // namespace

int main(int argc, char** argv) {
    SQuickRun run;
    if (const std::optional<int> nStatus = CheckQuickRun(argc, argv, kUsage, run)) return *nStatus;
    const bool bQuick = run.bQuick;
    const std::string& strWork = run.strWork;
    const std::unique_ptr<CScratchFolder> scratch = MakeScratchFolder("bench_bmp2gif", strWork);
    if (!scratch) return 1;
    const std::string strDir = scratch->Path().string();
    const int nRuns = bQuick ? 3 : 11;
    bool bAllOk = true;

    struct Case {
        const char* pszName;
        Picture (*make)();
    };
    const Case cases[] = {
        {"start-up (1x1 8-bit)", [] { return vd::test::RandomPicture(8, 1, 1, 1); }},
        {"640x480 8-bit screenshot-like",
         [] { return vd::test::ScreenshotPicture(8, 640, 480, 1); }},
        {"1024x768 4-bit random", [] { return vd::test::RandomPicture(4, 1024, 768, 1); }},
        {"4096x4096 8-bit screenshot-like",
         [] { return vd::test::ScreenshotPicture(8, 4096, 4096, 1); }},
        {"4096x4096 8-bit random", [] { return vd::test::RandomPicture(8, 4096, 4096, 1); }},
        {"4096x4096 1-bit document", [] { return vd::test::ScreenshotPicture(1, 4096, 4096, 1); }},
    };
    const std::string strOutDir = strDir + "/ours-out";
    mkdir(strOutDir.c_str(), 0777);
    std::vector<std::string> bitmaps;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        bitmaps.push_back(strDir + "/picture" + std::to_string(i) + ".bmp");
    }
    // The pictures are made in a child process, so that this one stays
    // small: a child's peak memory counts what it inherits before exec.
    const pid_t maker = fork();
    if (maker == 0) {
        bool bWritten = true;
        for (std::size_t i = 0; i < std::size(cases) && bWritten; ++i) {
            bWritten = WriteFile(
                bitmaps[i], vd::test::MakeBitmapFile(vd::test::MakePackedDib(cases[i].make())));
        }
        if (bWritten && !bQuick) bWritten = WriteLargeBitmap(strDir + "/large.bmp", 16384);
        _exit(bWritten ? 0 : 1);
    }
    int nMakerStatus = 1;
    if (maker < 0 || waitpid(maker, &nMakerStatus, 0) != maker || nMakerStatus != 0) {
        std::fprintf(stderr, "cannot write the bitmaps into %s\n", strDir.c_str());
        bAllOk = false;
    }

    std::printf("Whole-process bitmap to GIF: CPU ms (user+sys, best of %d), peak RSS MiB\n",
                nRuns);
    std::printf("%-32s %9s %9s %7s %9s %9s\n", "picture", "ours", "giflib", "ratio", "our RSS",
                "giflib RSS");
    auto measure = [&](const char* pszName, const std::string& strBitmap, int nTimes) {
        const std::string strGif = strDir + "/giflib.gif";
        Usage ours, giflib;
        for (int n = 0; n < nTimes; ++n) {
            RunChild({VD_TOOL_PATH, "bmp2gif", "-q", strBitmap, strOutDir + "/"}, ours);
            RunChild({VD_GIFLIB_PROGRAM_PATH, strBitmap, strGif}, giflib);
        }
        bAllOk = bAllOk && ours.bOk && giflib.bOk;
        std::printf("%-32s %9.2f %9.2f %6.2fx %9.1f %9.1f%s\n", pszName, ours.dCpuMs, giflib.dCpuMs,
                    ours.dCpuMs / giflib.dCpuMs, ours.nPeakKiB / 1024.0, giflib.nPeakKiB / 1024.0,
                    ours.bOk && giflib.bOk ? "" : "  (a run failed)");
        std::fflush(stdout);
    };
    if (bAllOk) {
        for (std::size_t i = 0; i < std::size(cases); ++i)
            measure(cases[i].pszName, bitmaps[i], nRuns);
        if (!bQuick) measure("16384x16384 8-bit (memory)", strDir + "/large.bmp", 1);
    }
    return bAllOk ? 0 : 1;
}
