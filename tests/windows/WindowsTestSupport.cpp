#include "tests/windows/WindowsTestSupport.h"

#include "tests/windows/WinCheck.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace vd::wintest {

CTempFolder::CTempFolder() {
    char szTemp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(MAX_PATH + 1, szTemp);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("GetTempPathA failed");
    static unsigned s_nCounter = 0;  // test-side only: distinct names within one run
    for (int nTry = 0; nTry < 1000; ++nTry) {
        char szName[64];
        std::snprintf(szName, sizeof szName, "vdwin-%lu-%u\\",
                      static_cast<unsigned long>(::GetCurrentProcessId()), ++s_nCounter);
        std::string strPrefix = std::string(szTemp) + szName;
        if (::CreateDirectoryA(strPrefix.c_str(), nullptr)) {
            m_strPrefix = strPrefix;
            return;
        }
    }
    throw std::runtime_error("could not create a temporary folder");
}

CTempFolder::~CTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(m_strPrefix), ec);
}

void WriteFileBytes(const std::string& strPath, const std::string& strBytes) {
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr) throw std::runtime_error("cannot create " + strPath);
    const std::size_t nWritten = std::fwrite(strBytes.data(), 1, strBytes.size(), pFile);
    const bool bClosed = std::fclose(pFile) == 0;
    if (nWritten != strBytes.size() || !bClosed)
        throw std::runtime_error("cannot write " + strPath);
}

std::string WideToAnsi(const std::wstring& strWide) {
    if (strWide.empty()) return {};
    BOOL bDefaultUsed = FALSE;
    const int nWide = static_cast<int>(strWide.size());
    const int n =
        ::WideCharToMultiByte(CP_ACP, 0, strWide.data(), nWide, nullptr, 0, nullptr, &bDefaultUsed);
    if (n <= 0 || bDefaultUsed) return {};
    std::string strAnsi(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, strWide.data(), nWide, strAnsi.data(), n, nullptr, nullptr);
    return strAnsi;
}

}  // namespace vd::wintest

// ---------------------------------------------------------------- the runner

namespace vd::wintest {
namespace {
int s_nFailedChecks = 0;  // failed checks of the test that runs now
}  // namespace

std::vector<CTestCase>& Registry() {
    static std::vector<CTestCase> s_tests;
    return s_tests;
}

void Fail(const char* pszFile, int nLine, const std::string& strWhat) {
    ++s_nFailedChecks;
    std::printf("  %s:%d: failed: %s\n", pszFile, nLine, strWhat.c_str());
}

}  // namespace vd::wintest

int main() {
    using namespace vd::wintest;
    int nPassed = 0, nFailed = 0, nSkipped = 0;
    for (const CTestCase& test : Registry()) {
        s_nFailedChecks = 0;
        std::string strNote;
        bool bSkipped = false;
        try {
            test.run();
        } catch (const CSkip& skip) {
            bSkipped = true;
            strNote = skip.strReason;
        } catch (const std::exception& e) {
            Fail(__FILE__, __LINE__, std::string("unexpected exception: ") + e.what());
        } catch (...) {
            Fail(__FILE__, __LINE__, "unexpected exception");
        }
        const char* pszVerdict = "ok  ";
        if (s_nFailedChecks > 0) {
            pszVerdict = "FAIL";
            ++nFailed;
        } else if (bSkipped) {
            pszVerdict = "skip";
            ++nSkipped;
        } else {
            ++nPassed;
        }
        std::printf("%s %s%s%s\n", pszVerdict, test.pszName, strNote.empty() ? "" : ": ",
                    strNote.c_str());
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed, %d skipped\n", nPassed, nFailed, nSkipped);
    return nFailed == 0 ? 0 : 1;
}
