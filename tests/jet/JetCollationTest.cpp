// The "General" comparison of Jet text keys, and the text decoding that
// feeds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "projectdb/JetCollation.h"
#include "projectdb/JetFormat.h"

namespace vd::jet {
namespace {

const std::string kUUml = "\xC3\x9C";  // Ü
const std::string kuUml = "\xC3\xBC";  // ü

TEST(JetCollation, CaseIsNotPartOfAKeyAccentsAndTrailingSpacesAre) {
    EXPECT_EQ(CompareGeneral("Toolbar", "ToolBar"), 0);
    EXPECT_EQ(CompareGeneral("TOOLBAR", "toolbar"), 0);
    EXPECT_EQ(CompareGeneral(kUUml + "bersicht", kuUml + "bersicht"), 0);
    EXPECT_NE(CompareGeneral(kUUml + "bersicht", "Ubersicht"), 0);
    EXPECT_EQ(CompareGeneral("Options ", "Options"), 0);
    EXPECT_EQ(CompareGeneral("Options   ", "options"), 0);
    // Only trailing spaces: leading and inner spaces count.
    EXPECT_NE(CompareGeneral(" Options", "Options"), 0);
    EXPECT_NE(CompareGeneral("Save as", "Saveas"), 0);
    EXPECT_EQ(CompareGeneral("", "   "), 0);
    // Latin-1 and Latin Extended-A capitals fold too.
    EXPECT_EQ(CompareGeneral("\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"), 0);  // ÉTÉ été
    EXPECT_EQ(CompareGeneral("\xC5\x92UVRE", "\xC5\x93uvre"), 0);            // ŒUVRE œuvre
    EXPECT_EQ(CompareGeneral("\xC5\xA0KODA", "\xC5\xA1koda"), 0);            // ŠKODA škoda
}

TEST(JetCollation, AccentedLettersSortWithTheirBaseLetter) {
    // Base letters decide through the whole text before any accent does.
    EXPECT_LT(CompareGeneral("Toolbar", kUUml + "bersicht"), 0);
    EXPECT_LT(CompareGeneral(kUUml + "bersicht", "Welcome"), 0);
    EXPECT_LT(CompareGeneral("Ubersicht", kUUml + "bersicht"), 0);
    EXPECT_LT(CompareGeneral(kUUml + "bersicht", "Ubersichten"), 0);
    EXPECT_LT(CompareGeneral("cote", "c\xC3\xB4te"), 0);  // côte
    EXPECT_LT(CompareGeneral("c\xC3\xB4te", "coter"), 0);
    // Sharp s and ligatures sort as their letters, after the plain spelling.
    EXPECT_GT(CompareGeneral("Stra\xC3\x9F"
                             "e",
                             "Strasse"),
              0);  // Straße
    EXPECT_LT(CompareGeneral("Stra\xC3\x9F"
                             "e",
                             "Strassen"),
              0);
    EXPECT_GT(CompareGeneral("\xC3\xA6on", "aeon"), 0);  // æon
    EXPECT_LT(CompareGeneral("\xC3\xA6on", "aeons"), 0);
}

TEST(JetCollation, ShorterPrefixesSortFirstAndOrderIsTotal) {
    EXPECT_LT(CompareGeneral("ab", "abc"), 0);
    EXPECT_LT(CompareGeneral("ab", "ab" + kuUml), 0);
    EXPECT_LT(CompareGeneral("", "a"), 0);
    EXPECT_LT(CompareGeneral("Glossary", "Index"), 0);
    EXPECT_LT(CompareGeneral("File menu", "Find"), 0);
    std::vector<std::string> names = {
        "Welcome", kUUml + "bersicht",  "toolbar", "Buttons", "Ubersicht", "Options ", "open",
        "Zebra",   "\xC3\xA9t\xC3\xA9", "ete"};
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CompareGeneral(a, b) < 0;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"Buttons", "ete", "\xC3\xA9t\xC3\xA9", "open",
                                               "Options ", "toolbar", "Ubersicht",
                                               kUUml + "bersicht", "Welcome", "Zebra"}));
}

TEST(JetCollation, InvalidUtf8StaysApartAndNeverReadsPastTheText) {
    const std::string strCut = "ab\xC3";  // a sequence cut short at the end
    EXPECT_NE(CompareGeneral(strCut, "ab"), 0);
    EXPECT_EQ(CompareGeneral(strCut, strCut), 0);
    EXPECT_NE(CompareGeneral("\xFF", "\xFE"), 0);
    EXPECT_NE(CompareGeneral(std::string("a\0b", 3), "ab"), 0);
}

std::string Decode(const std::vector<std::uint8_t>& bytes) { return DecodeText(CBytes(bytes)); }

TEST(JetText, Utf16AndCompressedTextDecodeToUtf8) {
    EXPECT_EQ(Decode({'O', 0, 'k', 0}), "Ok");
    EXPECT_EQ(Decode({0xDC, 0x00, 'b', 0}), kUUml + "b");
    EXPECT_EQ(Decode({0x3D, 0xD8, 0x00, 0xDE}), "\xF0\x9F\x98\x80");  // a surrogate pair
    EXPECT_EQ(Decode({0x3D, 0xD8, 'a', 0}),
              "\xEF\xBF\xBD"
              "a");                         // an unpaired one
    EXPECT_EQ(Decode({'a', 0, 'b'}), "a");  // an odd byte is dropped
    EXPECT_EQ(Decode({}), "");
    // Compressed: one byte per character, a zero byte switches to UTF-16LE
    // and back.
    EXPECT_EQ(Decode({0xFF, 0xFE, '*', '.', 'g', 'i', 'f'}), "*.gif");
    EXPECT_EQ(Decode({0xFF, 0xFE, 'G', 0xFC, 0, 0xA9, 0x03, 0, '!'}), "G" + kuUml + "\xCE\xA9!");
    EXPECT_EQ(Decode({0xFF, 0xFE}), "");
    EXPECT_EQ(Decode({0xFF, 0xFE, 'a', 0, 0x42}), "a");  // a half character at the end
}

}  // namespace
}  // namespace vd::jet
