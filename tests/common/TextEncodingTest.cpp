// Text read as UTF-8 where it is valid UTF-8 and as Windows-1252 otherwise,
// and the characters the image map's references are made from.
#include "common/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vd {
namespace {

TEST(TextEncoding, Utf8StaysAndEverythingElseIsReadAsWindows1252) {
    struct SCase {
        std::string strIn;
        bool bValid;
        std::string strUtf8;
    };
    const std::vector<SCase> cases = {
        {"", true, ""},
        {"plain ASCII", true, "plain ASCII"},
        {"\xC3\xBC"
         "bersicht \xE2\x82\xAC \xF0\x9F\x98\x80",
         true,
         "\xC3\xBC"
         "bersicht \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xFC"
         "bersicht",
         false,
         "\xC3\xBC"
         "bersicht"},                                                             // 1252 ü
        {"\x80\x8A\x9F", false, "\xE2\x82\xAC\xC5\xA0\xC5\xB8"},                  // € Š Ÿ
        {"\x81\x8D", false, "\xC2\x81\xC2\x8D"},                                  // unassigned: C1
        {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},                                  // overlong "/"
        {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                  // a surrogate
        {"\xF4\x90\x80\x80", false, "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // > U+10FFFF
        {"ok \xC3", false, "ok \xC3\x83"},                                        // cut short
        {"\xC3\xBC\xFC", false, "\xC3\x83\xC2\xBC\xC3\xBC"},                      // mixed: all 1252
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.strIn), c.bValid) << c.strIn;
        EXPECT_EQ(TextAsUtf8(c.strIn), c.strUtf8) << c.strIn;
    }
}

// A sequence cut short at the end is read byte by byte, as Windows-1252.
TEST(TextEncoding, NextCharacterTakesSequencesWholeAndBadBytesOneByOne) {
    const std::string strText = "a\xC3\xBC\x80\xF0\x9F\x98\x80\xE2\x82";
    std::vector<char32_t> characters;
    for (std::size_t nPos = 0; nPos < strText.size();) {
        characters.push_back(NextCharacter(strText, nPos));
    }
    EXPECT_EQ(characters, (std::vector<char32_t>{U'a', U'\u00FC', U'\u20AC', U'\U0001F600',
                                                 U'\u00E2', U'\u201A'}));
}

}  // namespace
}  // namespace vd
