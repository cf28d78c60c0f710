// Both compilers replace their output whole or not at all: a failure leaves
// an earlier file as it was and no temporary behind, and a symbolic link at
// the output name is replaced, never written through.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/compilers/NavigationTestSupport.h"
#include "vellumdesk.h"

namespace vd::test {
namespace {

struct SCompiler {
    const char* pszName;
    std::int32_t (*pCompile)(const char*, const char*);
    const char* pszOutput;
    const char* pszGood;
    const char* pszBad;  // fails after a good line
};

const SCompiler kCompilers[] = {
    {"contents", ::bCompileContents, "inhalt.bin", "a\n b\n", "a\n  too deep\n"},
    {"categories", ::bCompileCategory, "kategorien.bin", "a=b,1,2\n", "a=b,1,2\nbroken\n"},
};

std::string ReadText(const std::filesystem::path& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(CompilerOutput, AFailureLeavesTheEarlierOutputAsItWas) {
    for (const SCompiler& compiler : kCompilers) {
        SCOPED_TRACE(compiler.pszName);
        CTempDir in;
        CTempDir out;
        WriteText(in.File("bad.txt"), compiler.pszBad);
        WriteText(out.File(compiler.pszOutput), "earlier");
        EXPECT_EQ(compiler.pCompile(in.File("bad.txt").c_str(), out.Prefix().c_str()), 0);
        EXPECT_EQ(FolderContents(out.Path()), std::vector<std::string>{compiler.pszOutput});
        EXPECT_EQ(ReadText(out.File(compiler.pszOutput)), "earlier");
    }
}

TEST(CompilerOutput, ALinkAtTheOutputNameIsReplacedNotFollowed) {
    for (const SCompiler& compiler : kCompilers) {
        SCOPED_TRACE(compiler.pszName);
        CTempDir in;
        CTempDir out;
        WriteText(in.File("good.txt"), compiler.pszGood);
        WriteText(in.File("target"), "target");
        std::filesystem::create_symlink(in.File("target"), out.File(compiler.pszOutput));
        EXPECT_EQ(compiler.pCompile(in.File("good.txt").c_str(), out.Prefix().c_str()), 1);
        EXPECT_FALSE(std::filesystem::is_symlink(out.File(compiler.pszOutput)));
        EXPECT_FALSE(ReadBytes(out.File(compiler.pszOutput)).empty());
        EXPECT_EQ(ReadText(in.File("target")), "target");
    }
}

}  // namespace
}  // namespace vd::test
