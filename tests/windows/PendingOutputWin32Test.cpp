// The pending output on Windows: MoveFileExA replaces the final name, a
// final name held open by another party is left as it was, and stale
// temporaries are swept.
#include <windows.h>

#include <string>

#include "common/File.h"
#include "common/PendingOutput.h"
#include "tests/windows/WinCheck.h"
#include "tests/windows/WindowsTestSupport.h"

namespace vd {
namespace {

std::string ReadAll(const std::string& strPath) {
    CFile file;
    if (!file.Open(strPath, CFile::modeReadShareDenyWrite)) return "<missing>";
    std::string strBytes(static_cast<std::size_t>(file.GetLength()), '\0');
    strBytes.resize(file.Read(strBytes.data(), strBytes.size()));
    return strBytes;
}

bool Exists(const std::string& strPath) {
    return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

VD_TEST(PendingOutputWin32, CommitReplacesAndAFailureLeavesTheFinalName) {
    wintest::CTempFolder folder;
    const std::string strFinal = folder.File("out.gif");
    wintest::WriteFileBytes(strFinal, "earlier");
    std::string strCause;

    CPendingOutput output;
    VD_REQUIRE(output.Create(strFinal, &strCause));
    const std::string strTemp = output.GetTempPath();
    VD_CHECK(strTemp.rfind(folder.Prefix(), 0) == 0);
    wintest::WriteFileBytes(strTemp, "new");
    {
        // Another party holds the final name open without sharing it.
        HANDLE h = ::CreateFileA(strFinal.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        VD_REQUIRE(h != INVALID_HANDLE_VALUE);
        VD_CHECK(!output.Commit(&strCause));
        ::CloseHandle(h);
    }
    VD_CHECK(!strCause.empty());
    VD_CHECK(!Exists(strTemp));
    VD_CHECK_EQ(ReadAll(strFinal), std::string("earlier"));

    VD_REQUIRE(output.Create(strFinal, &strCause));
    wintest::WriteFileBytes(output.GetTempPath(), "new");
    VD_CHECK(output.Commit(&strCause));
    VD_CHECK_EQ(ReadAll(strFinal), std::string("new"));
}

// Creating an output sweeps what a killed writer left: a temporary of a
// process that does not exist and older than an hour; a fresh one stays.
VD_TEST(PendingOutputWin32, CreateRemovesStaleTemporariesOnly) {
    wintest::CTempFolder folder;
    const std::string strOld = folder.File("~vd4294967280-0.tmp");
    const std::string strFresh = folder.File("~vd4294967280-1.tmp");
    for (const std::string& strPath : {strOld, strFresh}) wintest::WriteFileBytes(strPath, "left");
    HANDLE h = ::CreateFileA(strOld.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    VD_REQUIRE(h != INVALID_HANDLE_VALUE);
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{};
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= 2ULL * 3600 * 10000000;  // two hours ago
    const FILETIME old{time.LowPart, time.HighPart};
    VD_REQUIRE(::SetFileTime(h, nullptr, nullptr, &old) != 0);
    ::CloseHandle(h);
    CPendingOutput output;
    VD_REQUIRE(output.Create(folder.File("out.gif"), nullptr));
    VD_CHECK(!Exists(strOld));
    VD_CHECK(Exists(strFresh));
}

}  // namespace
}  // namespace vd
