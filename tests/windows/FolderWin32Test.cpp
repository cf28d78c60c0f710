// One-level folder creation and path splitting on Windows.
#include <windows.h>

#include "common/File.h"
#include "common/FileSystem.h"
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

// Names from the project database are UTF-8 and reach the disk with their
// characters, also those that no ANSI code page holds together: the folder,
// a file written in it and its replacement are found by their wide names.
VD_TEST(FolderWin32, Utf8NamesKeepTheirCharacters) {
    wintest::CTempFolder folder;
    const std::string strFolder = folder.File("Grafik-\xC3\xA4\xC3\xB6\xC3\xBC-\xCE\xA9\\");
    VD_REQUIRE(CreateOneFolder(strFolder));
    CFile file;
    VD_REQUIRE(file.Open(strFolder + "Rest-\xC3\x9F.gif", CFile::modeCreateReadWriteExclusive));
    file.Write("GIF87a", 6);
    file.Close();
    std::wstring strWide(folder.Prefix().begin(), folder.Prefix().end());  // ASCII
    strWide += L"Grafik-\u00E4\u00F6\u00FC-\u03A9\\Rest-\u00DF.gif";
    VD_CHECK(::GetFileAttributesW(strWide.c_str()) != INVALID_FILE_ATTRIBUTES);
    VD_CHECK(bNameExists(strFolder + "Rest-\xC3\x9F.gif"));
    RemoveFileQuietly(strFolder + "Rest-\xC3\x9F.gif");
    VD_CHECK(::GetFileAttributesW(strWide.c_str()) == INVALID_FILE_ATTRIBUTES);
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
