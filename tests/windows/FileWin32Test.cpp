// The file object on the Win32 file API: the two open modes with their
// sharing rules, reading, writing, seeking, closing and the errors raised.
#include <windows.h>

#include <string>

#include "common/Exceptions.h"
#include "common/File.h"
#include "tests/windows/WinCheck.h"
#include "tests/windows/WindowsTestSupport.h"

namespace vd {
namespace {

// True when another party may open strPath with the given access and sharing.
bool CanOpen(const std::string& strPath, DWORD dwAccess, DWORD dwShare) {
    HANDLE h = ::CreateFileA(strPath.c_str(), dwAccess, dwShare, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

VD_TEST(FileWin32, ReadOnlyModeLetsOthersReadButNotWrite) {
    wintest::CTempFolder folder;
    const std::string strPath = folder.File("in.bin");
    wintest::WriteFileBytes(strPath, "0123456789");

    CFile file;
    VD_REQUIRE(file.Open(strPath, CFile::modeReadShareDenyWrite));
    VD_CHECK(CanOpen(strPath, GENERIC_READ, kShareAll));
    VD_CHECK(!CanOpen(strPath, GENERIC_WRITE, kShareAll));
    CFile second;  // a second reader of the same kind is fine
    VD_CHECK(second.Open(strPath, CFile::modeReadShareDenyWrite));
    CFile writer;
    std::string strCause;
    VD_CHECK(!writer.Open(strPath, CFile::modeCreateReadWriteExclusive, &strCause));
    VD_CHECK(!strCause.empty());

    file.Close();
    second.Close();
    VD_CHECK(CanOpen(strPath, GENERIC_WRITE, kShareAll));
}

VD_TEST(FileWin32, CreateModeTruncatesAndSharesWithNobody) {
    wintest::CTempFolder folder;
    const std::string strPath = folder.File("out.gif");
    wintest::WriteFileBytes(strPath, "an older, longer content");

    CFile file;
    VD_REQUIRE(file.Open(strPath, CFile::modeCreateReadWriteExclusive));
    VD_CHECK_EQ(file.GetLength(), 0u);
    VD_CHECK(!CanOpen(strPath, GENERIC_READ, kShareAll));
    CFile reader;
    VD_CHECK(!reader.Open(strPath, CFile::modeReadShareDenyWrite));
    file.Write("GIF89a", 6);
    file.Close();

    VD_REQUIRE(reader.Open(strPath, CFile::modeReadShareDenyWrite));
    char buf[16] = {};
    VD_CHECK_EQ(reader.Read(buf, sizeof buf), 6u);
    VD_CHECK_EQ(std::string(buf, 6), "GIF89a");
}

VD_TEST(FileWin32, ReadWriteSeekPositionAndNames) {
    wintest::CTempFolder folder;
    const std::string strPath = folder.File("data.bin");
    CFile file;
    VD_REQUIRE(file.Open(strPath, CFile::modeCreateReadWriteExclusive));
    file.Write("hello world", 11);
    file.Write("", 0);
    VD_CHECK_EQ(file.GetLength(), 11u);
    VD_CHECK_EQ(file.GetPosition(), 11u);
    VD_CHECK_EQ(file.Seek(-5), 6u);
    char buf[16] = {};
    VD_CHECK_EQ(file.Read(buf, sizeof buf), 5u);  // short at the end: no error
    VD_CHECK_EQ(std::string(buf, 5), "world");
    VD_CHECK_EQ(file.Read(buf, sizeof buf), 0u);
    VD_CHECK_EQ(file.Seek(0), 11u);
    VD_CHECK_EQ(file.Seek(-11), 0u);
    VD_CHECK_EQ(file.Read(buf, 5), 5u);
    VD_CHECK_EQ(std::string(buf, 5), "hello");
    // Seeking past the end is allowed; reading there gives nothing.
    VD_CHECK_EQ(file.Seek(100), 105u);
    VD_CHECK_EQ(file.Read(buf, 1), 0u);

    VD_CHECK_EQ(file.GetFilePath(), strPath);
    VD_CHECK_EQ(file.GetFileName(), "data.bin");
    file.Close();
    VD_CHECK(!file.IsOpen());
    file.Close();  // closing a closed file does nothing
}

VD_TEST(FileWin32, OnlyTheBackslashSeparatesTheFileName) {
    wintest::CTempFolder folder;
    VD_REQUIRE(::CreateDirectoryA(folder.File("sub").c_str(), nullptr));
    wintest::WriteFileBytes(folder.File("sub\\x.txt"), "x");
    CFile file;
    // The system accepts "/" in a path, but the file name is what follows the
    // last backslash.
    VD_REQUIRE(file.Open(folder.File("sub/x.txt"), CFile::modeReadShareDenyWrite));
    VD_CHECK_EQ(file.GetFileName(), "sub/x.txt");
    VD_REQUIRE(file.Open(folder.File("sub\\x.txt"), CFile::modeReadShareDenyWrite));
    VD_CHECK_EQ(file.GetFileName(), "x.txt");
}

VD_TEST(FileWin32, FailuresRaiseTheFileErrorWithPathAndCause) {
    wintest::CTempFolder folder;
    const std::string strPath = folder.File("ro.txt");
    wintest::WriteFileBytes(strPath, "abc");
    CFile file;
    VD_REQUIRE(file.Open(strPath, CFile::modeReadShareDenyWrite));
    try {
        file.Write("x", 1);
        VD_CHECK(!"writing a file opened read-only must raise the file error");
    } catch (const CFileException& e) {
        VD_CHECK_EQ(e.GetPath(), strPath);
        VD_CHECK_EQ(e.GetCause().substr(0, 14), std::string("write failed: "));
        VD_CHECK(e.GetCause().size() > std::string("write failed: ").size());
    }
    VD_CHECK_THROWS(file.Seek(-4), CFileException);  // before the start
    VD_CHECK_EQ(file.GetPosition(), 0u);             // the failed seek moved nothing
}

VD_TEST(FileWin32, OpenRefusesWhatIsNoDiskFile) {
    wintest::CTempFolder folder;
    CFile file;
    std::string strCause;
    VD_CHECK(!file.Open(folder.File("missing.bmp"), CFile::modeReadShareDenyWrite, &strCause));
    VD_CHECK(!strCause.empty());
    VD_CHECK(!file.Open(folder.File("no\\such\\folder.gif"), CFile::modeCreateReadWriteExclusive));
    VD_CHECK(!file.Open(folder.Prefix(), CFile::modeReadShareDenyWrite));  // a folder
    VD_CHECK(!file.Open(std::string("in\0.bmp", 7), CFile::modeReadShareDenyWrite));
    // Device names open a device, not a file: reading the console would wait.
    VD_CHECK(!file.Open("CON", CFile::modeReadShareDenyWrite));
    VD_CHECK(!file.Open(folder.File("NUL"), CFile::modeCreateReadWriteExclusive));
    VD_CHECK(!file.IsOpen());
}

VD_TEST(FileWin32, AbortAndDestructionReleaseTheHandle) {
    wintest::CTempFolder folder;
    const std::string strPath = folder.File("held.bin");
    {
        CFile file;
        VD_REQUIRE(file.Open(strPath, CFile::modeCreateReadWriteExclusive));
        file.Abort();
        file.Abort();  // aborting a closed file is harmless
        VD_CHECK(!file.IsOpen());
        VD_CHECK(CanOpen(strPath, GENERIC_WRITE, 0));
        VD_REQUIRE(file.Open(strPath, CFile::modeCreateReadWriteExclusive));
    }  // the destructor closes it
    VD_CHECK(CanOpen(strPath, GENERIC_WRITE, 0));
    CFile file;
    VD_REQUIRE(file.Open(strPath, CFile::modeReadShareDenyWrite));
    // Opening again closes the first handle before taking the second file.
    VD_REQUIRE(file.Open(folder.File("other.bin"), CFile::modeCreateReadWriteExclusive));
    VD_CHECK(CanOpen(strPath, GENERIC_WRITE, 0));
}

}  // namespace
}  // namespace vd
