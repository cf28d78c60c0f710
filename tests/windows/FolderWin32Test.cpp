// One-level folder creation and path splitting on Windows.
#include <windows.h>

#include "common/Folder.h"
#include "common/Strings.h"
#include "tests/windows/WinCheck.h"
#include "tests/windows/WindowsTestSupport.h"

namespace vd {
namespace {

bool IsFolder(const std::string& strPath) {
    const DWORD dwAttributes = ::GetFileAttributesA(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

VD_TEST(FolderWin32, CreatesExactlyOneLevel) {
    wintest::CTempFolder folder;
    VD_CHECK(CreateOneFolder(folder.File("images\\")));  // a trailing backslash is fine
    VD_CHECK(IsFolder(folder.File("images")));
    VD_CHECK(!CreateOneFolder(folder.File("images")));  // exists already
    VD_CHECK(IsFolder(folder.File("images")));
    VD_CHECK(!CreateOneFolder(folder.File("a\\b\\")));  // parent missing
    VD_CHECK(!IsFolder(folder.File("a")));
    wintest::WriteFileBytes(folder.File("file"), "x");
    VD_CHECK(!CreateOneFolder(folder.File("file\\")));  // a file is in the way
    VD_CHECK(!CreateOneFolder(std::string("x\0y", 3)));
}

// In the Windows build only the backslash splits a path; a forward slash is
// an ordinary character of the name.
VD_TEST(PathsWin32, OnlyTheBackslashSplitsOffTheFileName) {
    VD_CHECK_EQ(FileNamePart("C:\\pics\\Map1.SHG"), std::string("Map1.SHG"));
    VD_CHECK_EQ(FolderPart("C:\\pics\\Map1.SHG"), std::string("C:\\pics\\"));
    VD_CHECK_EQ(FileNamePart("pics/Map1.shg"), std::string("pics/Map1.shg"));
    VD_CHECK_EQ(FolderPart("pics/Map1.shg"), std::string());
    VD_CHECK_EQ(FileNamePart("C:\\a.b\\c/d.bmp"), std::string("c/d.bmp"));
    VD_CHECK_EQ(FileNamePart("trailing\\"), std::string());
}

}  // namespace
}  // namespace vd
