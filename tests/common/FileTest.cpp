#include "common/File.h"

#include <sys/stat.h>
#include <unistd.h>

#include "common/Exceptions.h"
#include "tests/TestSupport.h"

namespace vd {
namespace {

TEST(File, CreateWriteSeekReadAndNames) {
    test::CTempDir dir;
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("a.bin"), CFile::modeCreateReadWriteExclusive));
    file.Write("hello world", 11);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(file.GetPosition(), 11u);
    EXPECT_EQ(file.Seek(-5), 6u);
    char buf[16] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 5u);  // a short count at the end is no error
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(file.GetFilePath(), dir.File("a.bin"));
    EXPECT_EQ(file.GetFileName(), "a.bin");
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

TEST(File, CreateTruncatesAndReadOnlyRefusesWrites) {
    test::CTempDir dir;
    test::WriteText(dir.File("t.txt"), "old contents");
    {
        CFile file;
        ASSERT_TRUE(file.Open(dir.File("t.txt"), CFile::modeCreateReadWriteExclusive));
        EXPECT_EQ(file.GetLength(), 0u);
    }
    CFile reader;
    ASSERT_TRUE(reader.Open(dir.File("t.txt"), CFile::modeReadShareDenyWrite));
    try {
        reader.Write("x", 1);
        FAIL() << "writing a read-only file must raise the file error";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetPath(), dir.File("t.txt"));
        EXPECT_NE(std::string(e.what()).find("write failed"), std::string::npos);
    }
}

TEST(File, OpenFailuresReportTheCause) {
    test::CTempDir dir;
    CFile file;
    std::string cause;
    EXPECT_FALSE(file.Open(dir.File("missing.txt"), CFile::modeReadShareDenyWrite, &cause));
    EXPECT_FALSE(cause.empty());
    EXPECT_FALSE(file.Open(dir.Prefix(), CFile::modeReadShareDenyWrite));  // a folder
    EXPECT_FALSE(file.Open(dir.File("no/such/folder/x"), CFile::modeCreateReadWriteExclusive));
    EXPECT_FALSE(file.IsOpen());
}

TEST(File, FileNameAcceptsBothSeparators) {
    test::CTempDir dir;
    test::WriteText(dir.File("x.txt"), "");
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("x.txt"), CFile::modeReadShareDenyWrite));
    EXPECT_EQ(file.GetFileName(), "x.txt");
    file.Abort();
    file.Abort();  // aborting a closed file is harmless
}

}  // namespace
}  // namespace vd
