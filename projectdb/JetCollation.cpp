#include "projectdb/JetCollation.h"

#include <cstdint>
#include <vector>

namespace vd::jet {
namespace {

// Secondary weights: how a letter is marked. Letters compare by their base
// first, through the whole text; the marks decide only between texts whose
// bases are equal, an unmarked letter before a marked one.
enum EMark : std::uint8_t {
    MARK_NONE = 0,
    MARK_ACUTE,
    MARK_GRAVE,
    MARK_CIRCUMFLEX,
    MARK_DIAERESIS,
    MARK_TILDE,
    MARK_RING,
    MARK_CEDILLA,
    MARK_CARON,
    MARK_MACRON,
    MARK_BREVE,
    MARK_OGONEK,
    MARK_DOT,
    MARK_STROKE,
    MARK_DOUBLE_ACUTE,
    MARK_LIGATURE,
    MARK_OTHER,
};

struct CFolded {
    char32_t base[2] = {0, 0};  // one base letter, or two for a ligature
    std::uint8_t nMark = MARK_NONE;
};

// U+00C0..U+00FF: base letter (lower case) and mark; '\0' keeps the
// character itself (the multiplication and division signs, thorn).
constexpr char kLatin1Base[] =
    "aaaaaa\0ceeeeiiiidnooooo\0ouuuuy\0\0"
    "aaaaaa\0ceeeeiiiidnooooo\0ouuuuy\0y";
constexpr std::uint8_t kLatin1Mark[] = {
    MARK_GRAVE,    MARK_ACUTE,    MARK_CIRCUMFLEX, MARK_TILDE,      MARK_DIAERESIS,  MARK_RING,
    MARK_LIGATURE, MARK_CEDILLA,  MARK_GRAVE,      MARK_ACUTE,      MARK_CIRCUMFLEX, MARK_DIAERESIS,
    MARK_GRAVE,    MARK_ACUTE,    MARK_CIRCUMFLEX, MARK_DIAERESIS,  MARK_STROKE,     MARK_TILDE,
    MARK_GRAVE,    MARK_ACUTE,    MARK_CIRCUMFLEX, MARK_TILDE,      MARK_DIAERESIS,  MARK_NONE,
    MARK_STROKE,   MARK_GRAVE,    MARK_ACUTE,      MARK_CIRCUMFLEX, MARK_DIAERESIS,  MARK_ACUTE,
    MARK_NONE,     MARK_LIGATURE,
};

// U+0100..U+017F (Latin Extended-A): base letter and mark.
constexpr char kExtABase[] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii\0\0jjkkk"
    "llllllllllnnnnnnnnnoooooo\0\0rrrrrrsssssssstttttt"
    "uuuuuuuuuuuuwwyyyzzzzzzs";
constexpr std::uint8_t kExtAMark[] = {
    // A macron, breve, ogonek
    MARK_MACRON,
    MARK_MACRON,
    MARK_BREVE,
    MARK_BREVE,
    MARK_OGONEK,
    MARK_OGONEK,
    // C acute, circumflex, dot, caron
    MARK_ACUTE,
    MARK_ACUTE,
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_DOT,
    MARK_DOT,
    MARK_CARON,
    MARK_CARON,
    // D caron, stroke
    MARK_CARON,
    MARK_CARON,
    MARK_STROKE,
    MARK_STROKE,
    // E macron, breve, dot, ogonek, caron
    MARK_MACRON,
    MARK_MACRON,
    MARK_BREVE,
    MARK_BREVE,
    MARK_DOT,
    MARK_DOT,
    MARK_OGONEK,
    MARK_OGONEK,
    MARK_CARON,
    MARK_CARON,
    // G circumflex, breve, dot, cedilla
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_BREVE,
    MARK_BREVE,
    MARK_DOT,
    MARK_DOT,
    MARK_CEDILLA,
    MARK_CEDILLA,
    // H circumflex, stroke
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_STROKE,
    MARK_STROKE,
    // I tilde, macron, breve, ogonek, dot above, dotless
    MARK_TILDE,
    MARK_TILDE,
    MARK_MACRON,
    MARK_MACRON,
    MARK_BREVE,
    MARK_BREVE,
    MARK_OGONEK,
    MARK_OGONEK,
    MARK_DOT,
    MARK_OTHER,
    // IJ ligature (expanded below)
    MARK_LIGATURE,
    MARK_LIGATURE,
    // J circumflex, K cedilla, kra
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_CEDILLA,
    MARK_CEDILLA,
    MARK_OTHER,
    // L acute, cedilla, caron, middle dot, stroke
    MARK_ACUTE,
    MARK_ACUTE,
    MARK_CEDILLA,
    MARK_CEDILLA,
    MARK_CARON,
    MARK_CARON,
    MARK_DOT,
    MARK_DOT,
    MARK_STROKE,
    MARK_STROKE,
    // N acute, cedilla, caron, apostrophe n, eng
    MARK_ACUTE,
    MARK_ACUTE,
    MARK_CEDILLA,
    MARK_CEDILLA,
    MARK_CARON,
    MARK_CARON,
    MARK_OTHER,
    MARK_OTHER,
    MARK_OTHER,
    // O macron, breve, double acute
    MARK_MACRON,
    MARK_MACRON,
    MARK_BREVE,
    MARK_BREVE,
    MARK_DOUBLE_ACUTE,
    MARK_DOUBLE_ACUTE,
    // OE ligature (expanded below)
    MARK_LIGATURE,
    MARK_LIGATURE,
    // R acute, cedilla, caron
    MARK_ACUTE,
    MARK_ACUTE,
    MARK_CEDILLA,
    MARK_CEDILLA,
    MARK_CARON,
    MARK_CARON,
    // S acute, circumflex, cedilla, caron
    MARK_ACUTE,
    MARK_ACUTE,
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_CEDILLA,
    MARK_CEDILLA,
    MARK_CARON,
    MARK_CARON,
    // T cedilla, caron, stroke
    MARK_CEDILLA,
    MARK_CEDILLA,
    MARK_CARON,
    MARK_CARON,
    MARK_STROKE,
    MARK_STROKE,
    // U tilde, macron, breve, ring, double acute, ogonek
    MARK_TILDE,
    MARK_TILDE,
    MARK_MACRON,
    MARK_MACRON,
    MARK_BREVE,
    MARK_BREVE,
    MARK_RING,
    MARK_RING,
    MARK_DOUBLE_ACUTE,
    MARK_DOUBLE_ACUTE,
    MARK_OGONEK,
    MARK_OGONEK,
    // W, Y circumflex, Y diaeresis
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_CIRCUMFLEX,
    MARK_DIAERESIS,
    // Z acute, dot, caron, long s
    MARK_ACUTE,
    MARK_ACUTE,
    MARK_DOT,
    MARK_DOT,
    MARK_CARON,
    MARK_CARON,
    MARK_OTHER,
};
static_assert(sizeof kLatin1Base - 1 == 64 && sizeof kLatin1Mark == 32);
static_assert(sizeof kExtABase - 1 == 128 && sizeof kExtAMark == 128);

CFolded Fold(char32_t c) {
    CFolded folded;
    folded.base[0] = c;
    if (c >= 'A' && c <= 'Z') {
        folded.base[0] = c + 0x20;
    } else if (c >= 0xC0 && c <= 0xFF) {
        const std::size_t i = c - 0xC0;
        if (c == 0xC6 || c == 0xE6) {  // ae
            folded.base[0] = 'a';
            folded.base[1] = 'e';
        } else if (c == 0xDF) {  // sharp s
            folded.base[0] = 's';
            folded.base[1] = 's';
        } else if (kLatin1Base[i] != '\0') {
            folded.base[0] = static_cast<unsigned char>(kLatin1Base[i]);
        } else if (c == 0xDE) {  // thorn
            folded.base[0] = 0xFE;
        }
        folded.nMark = kLatin1Mark[i % 32];
        if (c == 0xFF) folded.nMark = MARK_DIAERESIS;
    } else if (c >= 0x100 && c <= 0x17F) {
        const std::size_t i = c - 0x100;
        if (c == 0x132 || c == 0x133) {
            folded.base[0] = 'i';
            folded.base[1] = 'j';
        } else if (c == 0x152 || c == 0x153) {
            folded.base[0] = 'o';
            folded.base[1] = 'e';
        } else {
            folded.base[0] = static_cast<unsigned char>(kExtABase[i]);
        }
        folded.nMark = kExtAMark[i];
    } else if ((c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F)) {
        folded.base[0] = c + 0x20;  // Greek and Cyrillic capitals
    } else if (c >= 0x400 && c <= 0x40F) {
        folded.base[0] = c + 0x50;
    }
    return folded;
}

// Next code point of a UTF-8 text; a byte that starts no valid sequence
// stands for itself (mapped above the Unicode range so that it stays apart).
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    std::size_t nLength = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) {
        nLength = 2;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        nLength = 3;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        nLength = 4;
        c = b0 & 0x07;
    }
    bool bValid = nLength != 0 && i + nLength <= text.size();
    for (std::size_t k = 1; bValid && k < nLength; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) bValid = false;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (!bValid) {
        ++i;
        return 0x110000 + b0;
    }
    i += nLength;
    return c;
}

void AppendKeyUnit(std::string& key, char32_t c) {
    // Code points as big-endian bytes keep their order. The first byte of a
    // unit is never zero (code points stay below 0x120000), so the zero
    // byte that separates the two levels sorts before any unit.
    const auto n = static_cast<std::uint32_t>(c);
    key += static_cast<char>(((n >> 16) & 0xFF) + 1);
    key += static_cast<char>((n >> 8) & 0xFF);
    key += static_cast<char>(n & 0xFF);
}

}  // namespace

std::string GeneralSortKey(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::string key;
    std::vector<std::uint8_t> marks;
    key.reserve(text.size() * 3 + 1);
    marks.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const CFolded folded = Fold(NextCodePoint(text, i));
        AppendKeyUnit(key, folded.base[0]);
        marks.push_back(folded.nMark);
        if (folded.base[1] != 0) {
            AppendKeyUnit(key, folded.base[1]);
            marks.push_back(folded.nMark);
        }
    }
    // The base letters of the whole text decide first; the marks only
    // between texts whose base letters are all equal; then "ab" sorts
    // before "abc" because the separator sorts before any unit.
    key += '\0';
    for (const std::uint8_t nMark : marks) key += static_cast<char>(nMark + 1);
    return key;
}

int CompareGeneral(std::string_view a, std::string_view b) {
    const int n = GeneralSortKey(a).compare(GeneralSortKey(b));
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

}  // namespace vd::jet
