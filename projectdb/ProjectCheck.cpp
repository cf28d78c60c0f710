#include "projectdb/ProjectCheck.h"

#include <initializer_list>

#include "common/Strings.h"
#include "projectdb/Engine.h"

namespace vd {
namespace {

// folder: a text joined in front of further names, which must end in a
// separator.
enum class EKind { integer, text, folder };

struct CFieldUse {
    const char* pszName;
    EKind kind;
};

struct CIndexUse {
    const char* pszName;
    std::vector<CKeyValue> probe;  // a seek with the keys the library gives
};

struct CTableUse {
    const char* pszName;
    std::vector<CIndexUse> indexes;
    std::vector<CFieldUse> fields;
};

// What the hypergraphic conversion reads, table by table.
std::vector<CTableUse> TablesRead() {
    using K = EKind;
    return {
        {"HeadLines",
         {{"IDX", {0}}, {"IDXNAME", {0, std::string()}}},
         {{"Idx", K::integer}, {"Number", K::integer}, {"Deep", K::integer}}},
        {"Sources",
         {{"IDX", {0}}},
         {{"SourcesStammIdx", K::integer},
          {"MainDocHeadLinesIdx", K::integer},
          {"CompileStammIdx", K::integer},
          {"DirectoryListIdx", K::integer}}},
        {"SourcesStamm",
         {{"IDX", {0}}},
         {{"DestinationPath", K::folder}, {"Destination", K::integer}}},
        {"DirectoryList",
         {{"IDXDESTINATIONIDX", {0, 0}}},
         {{"Idx", K::integer},
          {"DestinationIdx", K::integer},
          {"FileMask", K::text},
          {"Directory", K::folder}}},
        {"CompileStamm", {{"IDX", {0}}}, {{"Extension", K::text}, {"StartPage", K::text}}},
    };
}

class CChecker {
  public:
    CCheckResult result;

    void Problem(const std::string& strText) {
        result.lines.push_back("problem: " + strText);
        ++result.nProblems;
    }
    void Note(const std::string& strText) { result.lines.push_back("ok: " + strText); }
    void Warning(const std::string& strText) {
        result.lines.push_back("warning: " + strText);
        ++result.nWarnings;
    }

    // A folder value is joined to the names after it as it stands.
    void CheckFolder(const std::string& strTable, long nRecord, const char* pszField,
                     const std::string& strValue) {
        if (strValue.empty() || IsPathSeparator(strValue.back()) || strValue.back() == '\\') {
            return;
        }
        const std::string strWhere = "table " + strTable + ", record " + std::to_string(nRecord) +
                                     ": " + pszField + " '" + strValue + "'";
        if (std::string(pszField) == "Directory") {
            Warning(strWhere +
                    " does not end in a separator; this library adds one, a plain join "
                    "gives '" +
                    strValue + "NAME'");
        } else {
            Warning(strWhere +
                    " does not end in a separator, so it is joined to what follows "
                    "without one: '" +
                    strValue + "NAME'");
        }
    }

    void CheckTable(CEngineDatabase& db, const CTableUse& use) {
        const std::string strTable = use.pszName;
        std::unique_ptr<CEngineRecordset> pTable = db.CreateRecordset();
        try {
            pTable->Open(strTable);
        } catch (const CEngineException& error) {
            Problem("table " + strTable + ": " + error.GetDescription());
            return;
        }
        // Every record, in the table's own order (no index selected yet).
        std::vector<bool> bFailed(use.fields.size(), false);
        long nRecords = 0;
        try {
            for (pTable->MoveFirst(); !pTable->IsEOF(); pTable->MoveNext()) {
                ++nRecords;
                for (std::size_t i = 0; i < use.fields.size(); ++i) {
                    if (bFailed[i]) continue;
                    try {
                        if (use.fields[i].kind == EKind::integer) {
                            (void)pTable->GetLong(use.fields[i].pszName);
                        } else if (use.fields[i].kind == EKind::folder) {
                            CheckFolder(strTable, nRecords, use.fields[i].pszName,
                                        pTable->GetText(use.fields[i].pszName));
                        } else {
                            (void)pTable->GetText(use.fields[i].pszName);
                        }
                    } catch (const CEngineException& error) {
                        bFailed[i] = true;
                        Problem("table " + strTable + ", field " + use.fields[i].pszName + ": " +
                                error.GetDescription());
                    }
                }
            }
        } catch (const CEngineException& error) {
            Problem("table " + strTable + ": cannot walk the records: " + error.GetDescription());
        }
        if (nRecords == 0) {
            Note("table " + strTable + " is empty; its fields could not be checked");
        } else {
            for (std::size_t i = 0; i < use.fields.size(); ++i) {
                if (!bFailed[i]) Note("table " + strTable + ", field " + use.fields[i].pszName);
            }
            Note("table " + strTable + ": " + std::to_string(nRecords) + " records read");
        }
        for (const CIndexUse& index : use.indexes) {
            try {
                pTable->SetIndex(index.pszName);
                (void)pTable->Seek(std::span<const CKeyValue>(index.probe));
                Note("table " + strTable + ", index " + index.pszName);
            } catch (const CEngineException& error) {
                Problem("table " + strTable + ", index " + index.pszName + ": " +
                        error.GetDescription());
            }
        }
    }
};

}  // namespace

CCheckResult CheckProjectDatabase(const std::string& strPath) {
    CChecker checker;
    std::unique_ptr<CEngineDatabase> pDb = CreateEngineDatabase();
    try {
        pDb->Open(strPath);
    } catch (const CEngineException& error) {
        checker.Problem(error.GetDescription());
        return checker.result;
    }
    for (const CTableUse& use : TablesRead()) checker.CheckTable(*pDb, use);
    return checker.result;
}

}  // namespace vd
