#include "common/Strings.h"

#include <gtest/gtest.h>

namespace vd {
namespace {

TEST(Strings, FileAndFolderParts) {
    EXPECT_EQ(FileNamePart("C:\\pics\\Map.bmp"), "Map.bmp");
    EXPECT_EQ(FolderPart("C:\\pics\\Map.bmp"), "C:\\pics\\");
    EXPECT_EQ(FileNamePart("Map.bmp"), "Map.bmp");
    EXPECT_EQ(FolderPart("Map.bmp"), "");
    EXPECT_EQ(FileNamePart("dir/"), "");
#ifndef _WIN32
    EXPECT_EQ(FileNamePart("/home/u/pics\\x.shg"), "x.shg");
    EXPECT_EQ(FolderPart("/home/u/pics/x.shg"), "/home/u/pics/");
#endif
}

TEST(Strings, EndsWithIsExact) {
    EXPECT_TRUE(EndsWith("x.bmp", ".bmp"));
    EXPECT_FALSE(EndsWith("x.Bmp", ".bmp"));
    EXPECT_FALSE(EndsWith("mp", ".bmp"));
    EXPECT_TRUE(EndsWith("", ""));
}

}  // namespace
}  // namespace vd
