// The project database session: the database and the five tables that the
// hypergraphic conversion reads, opened once and kept until the module is
// unloaded.
#include "projectdb/Session.h"

#include <utility>

#include "frame/LibraryState.h"
#include "frame/MessageBox.h"
#include "projectdb/Engine.h"

namespace vd {
namespace {

// Destroys the five recordsets (closing them), in the order they are opened.
void ReleaseRecordsets() noexcept {
    g_pHeadLines.reset();
    g_pSources.reset();
    g_pSourcesStamm.reset();
    g_pDirectoryList.reset();
    g_pCompileStamm.reset();
}

void CloseDatabase() noexcept {
    if (g_pDatabase) {
        try {
            g_pDatabase->Close();
        } catch (...) {
            // Closing a read-only database cannot lose anything; it is
            // destroyed next in any case.
        }
        g_pDatabase.reset();
    }
}

// Releases everything a failed opening made, so the next attempt starts
// clean and nothing is left behind until unload.
void ReleaseFailedOpening() noexcept {
    ReleaseRecordsets();
    CloseDatabase();
}

}  // namespace

int bOpenProjectDatabase(std::string strPath, std::string* pstrError) {
    // Objects of an earlier failed opening are released, not overwritten.
    ReleaseFailedOpening();
    g_pDatabase = CreateEngineDatabase();
    try {
        g_pDatabase->Open(strPath);
    } catch (const CEngineException& error) {
        ReportDatabaseError(error, pstrError);
        ReleaseFailedOpening();
        return 0;
    }
    try {
        if (bOpenProjectTables(pstrError) == 0) {
            ReleaseFailedOpening();
            return 0;
        }
    } catch (...) {
        ReleaseFailedOpening();
        throw;
    }
    return 1;
}

int bOpenProjectTables(std::string* pstrError) {
    g_pHeadLines = g_pDatabase->CreateRecordset();
    g_pSources = g_pDatabase->CreateRecordset();
    g_pSourcesStamm = g_pDatabase->CreateRecordset();
    g_pDirectoryList = g_pDatabase->CreateRecordset();
    g_pCompileStamm = g_pDatabase->CreateRecordset();
    try {
        g_pHeadLines->Open("HeadLines");
        g_pSources->Open("Sources");
        g_pSourcesStamm->Open("SourcesStamm");
        g_pDirectoryList->Open("DirectoryList");
        g_pCompileStamm->Open("CompileStamm");
    } catch (const CEngineException& error) {
        ReportDatabaseError(error, pstrError);
        return 0;
    }
    return 1;
}

void ReportDatabaseError(const CEngineException& error, std::string* pstrError) {
    // One line: line breaks inside the engine's text become blanks.
    std::string strText = error.GetDescription();
    for (char& c : strText) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    if (strText.empty()) strText = "The project database reported an error without a description.";
    if (pstrError != nullptr) {
        *pstrError = std::move(strText);
    } else {
        ShowErrorMessage(strText);
    }
}

void CloseProjectDatabase() noexcept {
    ReleaseRecordsets();
    CloseDatabase();
    ShutdownEngine();
}

}  // namespace vd
