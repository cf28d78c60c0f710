// Loading tables from Jet (.mdb) files: a built project file with a
// 10,000-row headings table (opening the database, loading the five tables,
// the first use of each index, seeks and a walk), the same loading against
// libmdb's own row fetch on the same file (CPU time, ratio measured in one
// run), and the shared sample database if it is there. Prints figures;
// asserts nothing.
//   bench_jet_load [SAMPLE.mdb]
// The built file goes into a fresh temporary folder, removed at the end.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// After the C++ headers: libmdb's header includes glib's inside extern "C".
#include <mdbtools.h>

#include "bench/BenchUsage.h"
#include "bench/ScratchFolder.h"
#include "projectdb/Engine.h"
#include "tests/jet/JetBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

// CPU time of this process, in milliseconds.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The best of nRuns CPU times of fn, in milliseconds.
double BestCpuMs(int nRuns, const std::function<void()>& fn) {
    double best = 1e300;
    for (int i = 0; i < nRuns; ++i) {
        const double start = CpuMs();
        fn();
        best = std::min(best, CpuMs() - start);
    }
    return best;
}

const char* const kProjectTables[] = {"HeadLines", "Sources", "SourcesStamm", "DirectoryList",
                                      "CompileStamm"};

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

// The five project tables, HeadLines with nRows rows (and first in the
// file).
std::vector<vd::test::jet::CTableDef> Project(int nRows) {
    using vd::test::jet::Rows;
    std::vector<vd::test::jet::CTableDef> tables = vd::test::jet::ProjectTables();
    tables[0].rows = Rows({{1, 1, 10, 1, 1}, {2, 1, 12, 1, 2}});
    tables[1].rows = Rows({{1, std::string("out/"), 1}});
    tables[2].rows = Rows({{1, 1, std::string("*.gif"), std::string("images")},
                           {1, 1, std::string("*.map"), std::string("maps")}});
    tables[3].rows = Rows({{1, std::string("htm"), std::string("index.htm")}});
    tables[4] = Headings(nRows);
    std::rotate(tables.begin(), tables.begin() + 4, tables.end());
    return tables;
}

// What the session and its lookups take from the five tables: each table
// opened, every field they read loaded; with bIndexes, also the order of
// every index they use.
void LoadProject(const std::string& strPath, bool bIndexes) {
    struct CUse {
        const char* pszTable;
        std::vector<const char*> indexes;
        std::vector<const char*> longs;
        std::vector<const char*> texts;
    };
    static const CUse kUses[] = {
        {"HeadLines", {"IDX", "IDXNAME"}, {"Idx", "Position", "Number", "Deep"}, {"Name"}},
        {"Sources",
         {"IDX"},
         {"Idx", "SourcesStammIdx", "MainDocHeadLinesIdx", "CompileStammIdx", "DirectoryListIdx"},
         {}},
        {"SourcesStamm", {"IDX"}, {"Idx", "Destination"}, {"DestinationPath"}},
        {"DirectoryList",
         {"IDXDESTINATIONIDX"},
         {"Idx", "DestinationIdx"},
         {"FileMask", "Directory"}},
        {"CompileStamm", {"IDX"}, {"Idx"}, {"Extension", "StartPage"}},
    };
    auto pDb = vd::CreateEngineDatabase();
    pDb->Open(strPath);
    std::vector<std::unique_ptr<vd::CEngineRecordset>> recordsets;
    for (const CUse& use : kUses) {
        auto pRs = pDb->CreateRecordset();
        pRs->Open(use.pszTable);
        if (bIndexes) {
            for (const char* pszIndex : use.indexes) pRs->SetIndex(pszIndex);
        }
        pRs->MoveFirst();
        for (const char* pszField : use.longs) (void)pRs->GetLong(pszField);
        for (const char* pszField : use.texts) (void)pRs->GetText(pszField);
        recordsets.push_back(std::move(pRs));
    }
}

// libmdb's own row fetch of the five tables: every column bound, every row
// fetched. Answers the rows fetched.
long FetchWithLibmdb(const std::string& strPath) {
    MdbHandle* pMdb = mdb_open(strPath.c_str(), MDB_NOFLAGS);
    if (pMdb == nullptr) return -1;
    long nRows = 0;
    if (mdb_read_catalog(pMdb, MDB_TABLE) != nullptr) {
        for (const char* pszTable : kProjectTables) {
            std::string strName = pszTable;
            MdbTableDef* pTable = mdb_read_table_by_name(pMdb, strName.data(), MDB_TABLE);
            if (pTable == nullptr) continue;
            mdb_read_columns(pTable);
            mdb_rewind_table(pTable);
            std::vector<std::vector<char>> values(pTable->num_cols,
                                                  std::vector<char>(MDB_BIND_SIZE));
            std::vector<int> lengths(pTable->num_cols);
            for (unsigned i = 0; i < pTable->num_cols; ++i) {
                mdb_bind_column(pTable, static_cast<int>(i + 1), values[i].data(), &lengths[i]);
            }
            while (mdb_fetch_row(pTable)) ++nRows;
            mdb_free_tabledef(pTable);
        }
    }
    mdb_close(pMdb);
    return nRows;
}

void CompareWithLibmdb(const std::string& strPath, int nRows) {
    const int nRuns = 30;
    long nFetched = 0;
    const double libmdbMs = BestCpuMs(nRuns, [&] { nFetched = FetchWithLibmdb(strPath); });
    const double loadMs = BestCpuMs(nRuns, [&] { LoadProject(strPath, false); });
    const double indexMs = BestCpuMs(nRuns, [&] { LoadProject(strPath, true); });
    std::printf("\nfive tables, HeadLines of %d rows; CPU time, best of %d runs:\n", nRows, nRuns);
    std::printf("  libmdb row fetch (every column):        %8.3f ms (%ld rows)\n", libmdbMs,
                nFetched);
    std::printf("  ours, open + load the fields read:      %8.3f ms  ratio %.2f\n", loadMs,
                loadMs / libmdbMs);
    std::printf("  ours, the same + every index order:     %8.3f ms  ratio %.2f\n", indexMs,
                indexMs / libmdbMs);
    double load[3] = {0, 0, 0};
    if (FILE* pLoad = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(pLoad, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3) load[0] = -1;
        std::fclose(pLoad);
    }
    std::printf("  machine load average: %.2f %.2f %.2f on %ld CPUs\n", load[0], load[1], load[2],
                sysconf(_SC_NPROCESSORS_ONLN));
}

void BenchBuilt(int nRows) {
    const CScratchFolder scratch;
    const std::filesystem::path path = scratch.Path() / "headings.mdb";
    {
        const std::vector<std::uint8_t> bytes = vd::test::jet::BuildJetDatabase(Project(nRows));
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
    CompareWithLibmdb(path.string(), nRows);
}

void BenchSample(const std::string& strPath) {
    if (!std::filesystem::exists(strPath)) {
        std::printf("sample database not found (%s); skipped\n", strPath.c_str());
        return;
    }
    const double ms = BestMs(50, [&] {
        auto pDb = vd::CreateEngineDatabase();
        pDb->Open(strPath);
        for (const char* pszTable : kProjectTables) {
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
    if (const std::optional<int> nStop = CheckOneOperand(argc, argv, kUsage)) return *nStop;
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
