// The pending output on Windows: MoveFileExA replaces the final name, and a
// final name held open by another party is left as it was.
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

}  // namespace
}  // namespace vd
