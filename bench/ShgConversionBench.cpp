// Hypergraphic conversion against a large project database: 100,000 headings
// in 50 groups and a picture with 500 hotspots. Prints the time of opening
// the session, of resolving the 500 links, and of one whole conversion with
// the session open.
//   bench_shg_conversion [PARENT-FOLDER]
// Its files go into a fresh folder made inside PARENT-FOLDER (default: the
// system's temporary folder), which is removed at the end.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchUsage.h"
#include "bench/ScratchFolder.h"
#include "frame/LibraryState.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ShgConversion.h"
#include "projectdb/Engine.h"
#include "projectdb/LinkResolution.h"
#include "projectdb/ProjectSchema.h"
#include "projectdb/Session.h"

namespace {

constexpr int kGroups = 50;
constexpr int kHeadingsPerGroup = 2000;
constexpr int kHotspots = 500;
constexpr int kMainGroup = 25;  // its pop-ups are group 26
constexpr int kRuns = 20;

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Depth of the heading at a position: chapters with nested sections.
int DeepAt(int nPosition) {
    static const int kPattern[] = {1, 2, 3, 4, 4, 3, 2, 3, 3, 2};
    return kPattern[nPosition % 10];
}

std::string HeadingName(int nGroup, int nPosition) {
    return "Heading " + std::to_string(nGroup) + "." + std::to_string(nPosition);
}

bool BuildDatabase(const std::string& strPath, const std::string& strRoot) {
    std::vector<std::pair<int, int>> rows;
    for (int g = 1; g <= kGroups; ++g) {
        for (int p = 1; p <= kHeadingsPerGroup; ++p) rows.emplace_back(g, p);
    }
    // Stored out of outline order, as a host that edits its outline does.
    std::mt19937 rng(12345);
    std::shuffle(rows.begin(), rows.end(), rng);
    std::string strSql = "BEGIN;";
    strSql += "INSERT INTO Sources VALUES (1, 1, " + std::to_string(kMainGroup) + ", 1, 1);";
    strSql += "INSERT INTO SourcesStamm VALUES (1, '" + strRoot + "', 1);";
    strSql += "INSERT INTO DirectoryList VALUES (1, 1, '*.gif', 'images');";
    strSql += "INSERT INTO DirectoryList VALUES (1, 1, '*.map', 'maps');";
    strSql += "INSERT INTO CompileStamm VALUES (1, 'htm', 'index.htm');";
    for (const auto& [g, p] : rows) {
        strSql += "INSERT INTO HeadLines VALUES (" + std::to_string(g) + ", " + std::to_string(p) +
                  ", '" + HeadingName(g, p) + "', " + std::to_string(g * 10000 + p) + ", " +
                  std::to_string(DeepAt(p)) + ");";
    }
    strSql += "COMMIT;";
    std::string strReason;
    if (!vd::CreateProjectDatabase(strPath, {strSql}, &strReason)) {
        std::fprintf(stderr, "cannot build the database: %s\n", strReason.c_str());
        return false;
    }
    return true;
}

struct CHotspot {
    std::uint8_t nType;
    std::string strName;
};

// A hotspot's name: one marker character, then the heading name.
std::string HotspotName(const std::string& strHeading) {
    std::string strName = "!";
    strName += strHeading;
    return strName;
}

std::vector<CHotspot> Hotspots() {
    std::vector<CHotspot> hotspots;
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> position(1, kHeadingsPerGroup);
    for (int i = 0; i < kHotspots; ++i) {
        switch (i % 10) {
            case 0:  // a macro
                hotspots.push_back({0xC8, "!Macro"});
                break;
            case 1:
            case 2:
            case 3:  // a pop-up
                hotspots.push_back({0xE2, HotspotName(HeadingName(kMainGroup + 1, position(rng)))});
                break;
            case 4:  // a target that does not exist
                hotspots.push_back({0xE3, HotspotName("No such heading " + std::to_string(i))});
                break;
            default:  // a jump
                hotspots.push_back({0xE3, HotspotName(HeadingName(kMainGroup, position(rng)))});
                break;
        }
    }
    return hotspots;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A stored 8-bit SHG picture (640 x 480) with the hotspots, in a grid.
std::vector<std::uint8_t> BuildShg(const std::vector<CHotspot>& hotspots) {
    constexpr unsigned kWidth = 640;
    constexpr unsigned kHeight = 480;
    std::vector<std::uint8_t> pixels(kWidth * kHeight);
    for (unsigned y = 0; y < kHeight; ++y) {
        for (unsigned x = 0; x < kWidth; ++x) {
            pixels[y * kWidth + x] = static_cast<std::uint8_t>((x / 16 + y / 16) % 7);
        }
    }
    std::vector<std::uint8_t> section = {0x01};
    Put16(section, static_cast<unsigned>(hotspots.size()));
    Put32(section, 0);
    std::string strStrings;
    for (std::size_t i = 0; i < hotspots.size(); ++i) {
        section.push_back(hotspots[i].nType);
        Put16(section, 0);
        Put16(section, static_cast<unsigned>((i % 25) * 25));
        Put16(section, static_cast<unsigned>((i / 25) * 24));
        Put16(section, 20);
        Put16(section, 20);
        Put32(section, 0);
        strStrings += hotspots[i].strName + '\0' + "target" + '\0';
    }
    section.insert(section.end(), strStrings.begin(), strStrings.end());

    const std::uint32_t nDataOffset = 30 + 256 * 4;
    std::vector<std::uint8_t> file;
    Put16(file, 0x706C);
    Put16(file, 1);
    Put32(file, 8);
    file.push_back(6);  // a bitmap
    file.push_back(0);  // stored
    Put16(file, 2 * 96);
    Put16(file, 2 * 96);
    file.push_back(2);      // planes
    file.push_back(2 * 8);  // bits
    Put16(file, 2 * kWidth);
    Put16(file, 2 * kHeight);
    Put16(file, 2 * 256);
    Put16(file, 0);
    Put32(file, 2 * static_cast<std::uint32_t>(pixels.size()) + 1);
    Put16(file, 2 * static_cast<unsigned>(section.size()));
    Put32(file, nDataOffset);
    Put32(file, nDataOffset + static_cast<std::uint32_t>(pixels.size()));
    for (unsigned i = 0; i < 256; ++i) {
        file.insert(file.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                 static_cast<std::uint8_t>(i * 7), 0});
    }
    file.insert(file.end(), pixels.begin(), pixels.end());
    file.insert(file.end(), section.begin(), section.end());
    return file;
}

// Wall-clock and processor time of one run, in milliseconds. The processor
// time shows the work itself on a machine busy with other programs.
struct CTiming {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
    std::pair<double, double> Elapsed() const {
        return {Millis(Clock::now() - wall),
                1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
    }
};

void Report(const char* pszWhat, std::vector<std::pair<double, double>> times) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const auto& [dWall, dCpu] : times) {
        wall.push_back(dWall);
        cpu.push_back(dCpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-34s wall median %7.2f ms, min %7.2f ms; processor median %7.2f ms\n", pszWhat,
                wall[wall.size() / 2], wall.front(), cpu[cpu.size() / 2]);
}

const char kUsage[] =
    "usage: bench_shg_conversion [PARENT-FOLDER]\n\n"
    "Measures the hypergraphic conversion against a large project database\n"
    "(100,000 headings in 50 groups) and a 640 x 480 picture with 500 hotspots:\n"
    "the opening of the database session, the link resolution of the 500\n"
    "hotspots, and one whole conversion with the session open (wall and\n"
    "processor time, median of several runs).\n\n"
    "  PARENT-FOLDER  where a fresh work folder is made for the database, the\n"
    "                 picture and the outputs (default: the system's temporary\n"
    "                 folder); only that work folder is removed at the end.\n";

int Run(const std::filesystem::path& parent) {
    namespace fs = std::filesystem;
    const CScratchFolder scratch(parent);
    const fs::path& work = scratch.Path();
    fs::create_directories(work / "out");
    const std::string strDb = (work / "project.db").string();
    const std::string strShg = (work / "grid.shg").string();
    const std::string strRoot = (work / "out").string() + "/";

    const auto buildStart = Clock::now();
    if (!BuildDatabase(strDb, strRoot)) return 1;
    const auto hotspots = Hotspots();
    {
        const auto bytes = BuildShg(hotspots);
        std::ofstream(strShg, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::printf("project database: %d headings in %d groups (%.0f ms to build, %.1f MB)\n",
                kGroups * kHeadingsPerGroup, kGroups, Millis(Clock::now() - buildStart),
                static_cast<double>(fs::file_size(strDb)) / 1e6);
    std::printf("picture: 640 x 480, 8 bits, %d hotspots\n\n", kHotspots);

    std::vector<std::pair<double, double>> openTimes;
    for (int i = 0; i < kRuns; ++i) {
        const CTiming timing;
        if (vd::bOpenProjectDatabase(strDb) != 1) return 1;
        openTimes.push_back(timing.Elapsed());
        vd::CloseProjectDatabase();
    }
    Report("session opening", openTimes);

    if (vd::bOpenProjectDatabase(strDb) != 1) return 1;
    vd::g_bDatabaseOpen = 1;
    vd::g_pSources->SetIndex("IDX");
    if (!vd::g_pSources->Seek({1})) return 1;

    std::vector<std::pair<double, double>> resolveTimes;
    for (int i = 0; i < kRuns; ++i) {
        vd::CAreaList list;
        vd::CAreaListOwner owner(list);
        for (const CHotspot& hotspot : hotspots) {
            auto* pArea = new vd::CArea(1);
            list.AddTail(pArea);
            pArea->m_nType = hotspot.nType == 0xE2   ? vd::AREA_POPUP
                             : hotspot.nType == 0xC8 ? vd::AREA_MACRO
                                                     : vd::AREA_JUMP;
            pArea->m_strName = hotspot.strName;
        }
        const CTiming timing;
        vd::bResolveLinks(list);
        resolveTimes.push_back(timing.Elapsed());
    }
    Report("link resolution of 500 hotspots", resolveTimes);

    std::vector<std::pair<double, double>> convertTimes;
    for (int i = 0; i < kRuns; ++i) {
        std::string strReason;
        const CTiming timing;
        const int nResult = vd::bConvertSHGToGIFMAP(strDb, strShg, 1, &strReason);
        convertTimes.push_back(timing.Elapsed());
        if (nResult != 1) {
            std::fprintf(stderr, "conversion failed: %s\n", strReason.c_str());
            return 1;
        }
    }
    Report("whole conversion (session open)", convertTimes);

    vd::CloseProjectDatabase();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> nStop = CheckOneOperand(argc, argv, kUsage)) return *nStop;
    try {
        return Run(argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_shg_conversion: %s\n", error.what());
        return 1;
    }
}
