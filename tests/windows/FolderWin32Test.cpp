// One-level folder creation on Windows.
#include <windows.h>

#include "common/Folder.h"
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

}  // namespace
}  // namespace vd
