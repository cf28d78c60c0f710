// Loading tables from Jet (.mdb) files: a built file with a 10,000-row
// headings table (opening the database, loading the table, the first use of
// each index, seeks and a walk), and the shared sample database if it is
// there. Prints figures; asserts nothing.
//   bench_jet_load [SAMPLE.mdb]
// The built file goes into a fresh temporary folder, removed at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/ScratchFolder.h"
#include "projectdb/Engine.h"
#include "tests/jet/JetBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

// The best of nRuns timings of fn, in milliseconds.
double BestMs(int nRuns, const std::function<void()>& fn) {
    double best = 1e300;
    for (int i = 0; i < nRuns; ++i) {
        const auto start = Clock::now();
        fn();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

vd::test::jet::CTableDef Headings(int nRows) {
    vd::test::jet::CTableDef table;
    table.strName = "HeadLines";
    table.columns = {
        {"Idx", 0x04}, {"Position", 0x04}, {"Name", 0x0a}, {"Number", 0x04}, {"Deep", 0x04}};
    table.indexes = {{"IDX", {"Idx", "Position"}}, {"IDXNAME", {"Idx", "Name"}}};
    table.bMapPages = true;
    for (int i = 0; i < nRows; ++i) {
        const int nGroup = 10 + i / 200;
        table.rows.push_back(vd::test::jet::CRowDef{
            {nGroup, i % 200 + 1, "Heading number " + std::to_string((i * 7919) % nRows), i + 1,
             1 + i % 4}});
    }
    return table;
}

void BenchBuilt(int nRows) {
    const CScratchFolder scratch;
    const std::filesystem::path path = scratch.Path() / "headings.mdb";
    {
        const std::vector<std::uint8_t> bytes = vd::test::jet::BuildJetDatabase({Headings(nRows)});
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        std::printf("built file: %d rows, %zu KB\n", nRows, bytes.size() / 1024);
    }
    const int nRuns = 20;
    const double openMs = BestMs(nRuns, [&] {
        auto pDb = vd::CreateEngineDatabase();
        pDb->Open(path.string());
    });
    const double loadMs = BestMs(nRuns, [&] {
        auto pDb = vd::CreateEngineDatabase();
        pDb->Open(path.string());
        auto pRs = pDb->CreateRecordset();
        pRs->Open("HeadLines");
    });
    const double indexMs = BestMs(nRuns, [&] {
        auto pDb = vd::CreateEngineDatabase();
        pDb->Open(path.string());
        auto pRs = pDb->CreateRecordset();
        pRs->Open("HeadLines");
        pRs->SetIndex("IDX");
        pRs->SetIndex("IDXNAME");
    });
    std::printf("open database (catalog):              %8.3f ms\n", openMs);
    std::printf("open + load %d rows:               %8.3f ms\n", nRows, loadMs);
    std::printf("open + load + both index orders:      %8.3f ms\n", indexMs);

    auto pDb = vd::CreateEngineDatabase();
    pDb->Open(path.string());
    auto pRs = pDb->CreateRecordset();
    pRs->Open("HeadLines");
    pRs->SetIndex("IDXNAME");
    int nFound = 0;
    const double seekMs = BestMs(5, [&] {
        nFound = 0;
        for (int i = 0; i < nRows; ++i) {
            nFound +=
                pRs->Seek({10 + i / 200, "heading NUMBER " + std::to_string((i * 7919) % nRows)})
                    ? 1
                    : 0;
        }
    });
    std::printf("%d seeks on (group, name):         %8.3f ms (%.3f us each, %d found)\n", nRows,
                seekMs, seekMs * 1000.0 / nRows, nFound);
    pRs->SetIndex("IDX");
    long long nSum = 0;
    const double walkMs = BestMs(5, [&] {
        nSum = 0;
        for (pRs->MoveFirst(); !pRs->IsEOF(); pRs->MoveNext()) nSum += pRs->GetLong("Number");
    });
    std::printf("walk of the IDX order, reading Number:  %8.3f ms (sum %lld)\n", walkMs, nSum);
}

void BenchSample(const std::string& strPath) {
    if (!std::filesystem::exists(strPath)) {
        std::printf("sample database not found (%s); skipped\n", strPath.c_str());
        return;
    }
    const char* kTables[] = {"HeadLines", "Sources", "SourcesStamm", "DirectoryList",
                             "CompileStamm"};
    const double ms = BestMs(50, [&] {
        auto pDb = vd::CreateEngineDatabase();
        pDb->Open(strPath);
        for (const char* pszTable : kTables) {
            auto pRs = pDb->CreateRecordset();
            pRs->Open(pszTable);
        }
    });
    std::printf("sample database, open + load the five tables: %.3f ms\n", ms);
}

const char kUsage[] =
    "usage: bench_jet_load [SAMPLE.mdb]\n\n"
    "Measures loading tables from Jet (.mdb) files: a built file with a\n"
    "10,000-row headings table (opening the database, loading the table, the\n"
    "first use of both index orders, 10,000 seeks and a walk; best of several\n"
    "runs, in milliseconds), then opening and loading the five tables of a\n"
    "sample project database.\n\n"
    "  SAMPLE.mdb  the sample project database (default: the shared test\n"
    "              data's mdb/sample-project.mdb; skipped when absent).\n"
    "The built file is written into a fresh temporary folder, removed at the end.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        BenchBuilt(10000);
#ifdef VD_TESTDATA_DIR
        const std::string strSample = std::string(VD_TESTDATA_DIR) + "/mdb/sample-project.mdb";
#else
        const std::string strSample;
#endif
        BenchSample(argc > 1 ? argv[1] : strSample);
    } catch (const vd::CEngineException& error) {
        std::fprintf(stderr, "bench_jet_load: %s\n", error.GetDescription().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_jet_load: %s\n", error.what());
        return 1;
    }
    return 0;
}
