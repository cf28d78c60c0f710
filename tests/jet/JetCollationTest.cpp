// The "General" comparison of Jet text keys, and the text decoding that
// feeds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <fstream>
#include <map>
#include <set>

#include "projectdb/JetCollation.h"
#include "projectdb/JetFormat.h"
#include "tests/TestSupport.h"

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
    // Sharp s and ligatures key as their letters.
    EXPECT_EQ(CompareGeneral("Stra\xC3\x9F"
                             "e",
                             "Strasse"),
              0);  // Straße
    EXPECT_LT(CompareGeneral("Stra\xC3\x9F"
                             "e",
                             "Strassen"),
              0);
    EXPECT_EQ(CompareGeneral("\xC3\xA6on", "AEON"), 0);  // æon
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

// The keys a Jet writer made (general-keys.tsv): every character U+0020..U+FFFD
// alone, then hand-picked texts with \uXXXX escapes for UTF-16 code units.
struct CListedKey {
    std::u16string text;
    std::string key;
    std::size_t nLine = 0;
};

std::u16string Unescape(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "\\u") == 0 && i + 6 <= text.size()) {
            units += static_cast<char16_t>(std::stoul(text.substr(i + 2, 4), nullptr, 16));
            i += 6;
        } else {
            units += static_cast<char16_t>(static_cast<unsigned char>(text[i++]));
        }
    }
    return units;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::vector<CListedKey> ReadListedKeys() {
    std::ifstream in(test::TestDataDir() / "mdb" / "general-keys.tsv");
    std::vector<CListedKey> listed;
    std::string line;
    while (std::getline(in, line)) {
        CListedKey entry;
        entry.nLine = listed.size() + 1;
        const std::size_t nTab = line.find('\t');
        const std::size_t nLastTab = line.rfind('\t');
        entry.key = FromHex(line.substr(nLastTab + 1));
        if (line.compare(0, 2, "U+") == 0) {
            entry.text =
                std::u16string(1, static_cast<char16_t>(std::stoul(line.substr(2), nullptr, 16)));
        } else {
            entry.text = Unescape(line.substr(nTab + 1, nLastTab - nTab - 1));
        }
        listed.push_back(std::move(entry));
    }
    return listed;
}

TEST(JetCollation, EveryListedTextHasTheKeyAJetWriterMakes) {
    VD_REQUIRE_TESTDATA("mdb/general-keys.tsv");
    const std::vector<CListedKey> listed = ReadListedKeys();
    ASSERT_EQ(listed.size(), 63764u);
    std::size_t nWrong = 0;
    std::vector<std::string> ours;
    for (const CListedKey& entry : listed) {
        ours.push_back(GeneralIndexKey(entry.text));
        if (ours.back() != entry.key && ++nWrong <= 10) {
            ADD_FAILURE() << "line " << entry.nLine << ": the key differs";
        }
    }
    EXPECT_EQ(nWrong, 0u);
    // Equal texts and order, as the listed keys have them: walk all texts in
    // our order and compare each neighbour pair by the listed keys.
    std::vector<std::size_t> order(listed.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return ours[a] < ours[b]; });
    std::size_t nDistinct = 1;
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::string& previous = listed[order[i - 1]].key;
        const std::string& current = listed[order[i]].key;
        EXPECT_LE(previous, current)
            << "lines " << listed[order[i - 1]].nLine << " and " << listed[order[i]].nLine;
        EXPECT_EQ(ours[order[i - 1]] == ours[order[i]], previous == current);
        if (previous != current) ++nDistinct;
    }
    EXPECT_EQ(nDistinct, 36031u);
}

TEST(JetCollation, Utf8TextsKeyAsTheirCodeUnits) {
    // Above U+FFFF a character is a surrogate pair, as Jet stores it.
    EXPECT_EQ(GeneralSortKey("\xF0\x9F\x98\x80"), FromHex("7fb03fb6fc013f3f00"));
    EXPECT_EQ(GeneralSortKey("a-b"), FromHex("7f4a4c01010101800b068200"));
    EXPECT_EQ(GeneralSortKey("Stra\xC3\x9F"
                             "e"),
              GeneralSortKey("STRASSE"));
    // A stray byte stands for the Latin-1 character of its number.
    EXPECT_EQ(GeneralSortKey("\xDC"
                             "bersicht"),
              GeneralSortKey(kuUml + "bersicht"));
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
