// Loading tables from Jet (.mdb) files: a built file with a 10,000-row
// headings table (opening the database, loading the table, the first use of
// each index, seeks and a walk), and the shared sample database if it is
// there. Prints figures; asserts nothing.
//   bench_jet_load [SAMPLE.mdb]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("bench_jet_" + std::to_string(getpid()) + ".mdb");
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
    std::filesystem::remove(path);
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

}  // namespace

int main(int argc, char** argv) {
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
    }
    return 0;
}
