// The pending output on Windows: MoveFileExA replaces the final name, a
// final name held open by another party is left as it was, and two outputs
// are put in place together or not at all.
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

VD_TEST(PendingOutputWin32, TwoOutputsTogetherOrNotAtAll) {
    wintest::CTempFolder folder;
    const std::string strGif = folder.File("a.gif");
    const std::string strMap = folder.File("a.map");
    wintest::WriteFileBytes(strGif, "earlier");
    VD_REQUIRE(::CreateDirectoryA(strMap.c_str(), nullptr) != 0);  // the map cannot take its name
    std::string strCause;
    CPendingOutput gif;
    CPendingOutput map;
    VD_REQUIRE(gif.Create(strGif, &strCause) && map.Create(strMap, &strCause));
    wintest::WriteFileBytes(gif.GetTempPath(), "gif");
    wintest::WriteFileBytes(map.GetTempPath(), "map");
    const std::string strGifTemp = gif.GetTempPath();
    const std::string strMapTemp = map.GetTempPath();
    VD_CHECK(!bCommitBoth(gif, map, &strCause));
    VD_CHECK_EQ(ReadAll(strGif), std::string("earlier"));
    VD_CHECK(!Exists(strGifTemp));
    VD_CHECK(!Exists(strMapTemp));
    ::RemoveDirectoryA(strMap.c_str());
}

}  // namespace
}  // namespace vd
