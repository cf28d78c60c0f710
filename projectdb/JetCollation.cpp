#include "projectdb/JetCollation.h"

#include <algorithm>
#include <cstdint>

#include "projectdb/JetGeneralCodes.h"

namespace vd::jet {
namespace {

constexpr char kKeyStart = '\x7F';
constexpr char kEndText = '\x01';
constexpr char kEndKey = '\x00';
// Extra bytes of a character without accents, dropped at the end of the
// extra part (with anything below them).
constexpr std::uint8_t kExtraPlaceholder = 0x02;
// Kana flags are packed three to a byte under this prefix; the flag of a
// plain kana at the end is dropped.
constexpr std::uint8_t kKanaStart = 0x80;
constexpr std::uint8_t kKanaPlain = 0x03;
constexpr char kKanaSuffix[] = "\xFF\x02\x80\xFF\x80";
constexpr char kKanaBeforeTrailer = '\xFF';
// A trailer entry: big-endian (7 + 4 * position) | 0x8000, then 06 and the code.
constexpr unsigned kTrailerStart = 7;
constexpr unsigned kTrailerStep = 4;
constexpr unsigned kTrailerFlag = 0x8000;
constexpr char kTrailerMidfix = '\x06';

// The code of one code unit, taken from its run.
struct CCode {
    std::uint8_t nKind = GENERAL_IGNORED;
    std::uint8_t nInline = 0;
    std::uint8_t inlineBytes[4] = {};
    std::uint8_t nExtra = 0;
    std::uint8_t extraBytes[2] = {};
    std::uint8_t nKanaFlag = 0;
};

class CCodeLookup {
  public:
    CCode Find(char16_t unit) {
        if (unit < 0x100) return FromRun(kGeneralCodesLatin1[unit], unit);
        if (unit < m_nFirst || unit >= m_nEnd) Locate(unit);
        return FromRun(kGeneralCodeRuns[m_nRun], unit);
    }

  private:
    static CCode FromRun(const CGeneralCodeRun& run, char16_t unit) {
        CCode code;
        code.nKind = run.nKind;
        code.nInline = run.nInline;
        code.nExtra = run.nExtra;
        code.nKanaFlag = run.nKanaFlag;
        std::copy(run.inlineBytes, run.inlineBytes + 4, code.inlineBytes);
        std::copy(run.extraBytes, run.extraBytes + 2, code.extraBytes);
        const auto nStep = static_cast<std::uint8_t>(unit - run.nFirst);
        if (nStep != 0) {
            if (run.nKind == GENERAL_UNPRINTABLE) {
                code.extraBytes[code.nExtra - 1] += nStep;
            } else if (code.nInline > 0) {
                code.inlineBytes[code.nInline - 1] += nStep;
            }
        }
        return code;
    }

    void Locate(char16_t unit) {
        const CGeneralCodeRun* pEnd = kGeneralCodeRuns + kGeneralCodeRunCount;
        const CGeneralCodeRun* pNext =
            std::upper_bound(kGeneralCodeRuns, pEnd, unit,
                             [](char16_t u, const CGeneralCodeRun& run) { return u < run.nFirst; });
        m_nRun = static_cast<std::size_t>(pNext - kGeneralCodeRuns) - 1;
        m_nFirst = kGeneralCodeRuns[m_nRun].nFirst;
        m_nEnd = pNext == pEnd ? 0x10000u : pNext->nFirst;
    }

    std::size_t m_nRun = 0;
    std::uint32_t m_nFirst = 1;
    std::uint32_t m_nEnd = 0;
};

// The parts of a key after the primary codes, kept while the text is walked.
struct CKeyTail {
    std::string extra;  // extra bytes, one entry per keyed character
    std::size_t nExtraChars = 0;
    std::size_t nModifierPrefix = 0;  // 1 when a modifier opened the extra bytes
    bool bExtra = false;
    std::string trailer;  // unprintable characters
    std::string kanaFlags;
    bool bKana = false;

    void AddExtra(std::size_t nPosition, const CCode& code) {
        bExtra = true;
        if (nExtraChars < nPosition) {
            extra.append(nPosition - nExtraChars, static_cast<char>(kExtraPlaceholder));
            nExtraChars = nPosition;
        }
        if (code.nKind != GENERAL_MODIFIER) {
            if (code.nExtra == 0) {
                extra += static_cast<char>(kExtraPlaceholder);
            } else {
                extra.append(reinterpret_cast<const char*>(code.extraBytes), code.nExtra);
            }
            ++nExtraChars;
        } else if (!extra.empty()) {
            extra.back() = static_cast<char>(extra.back() + code.extraBytes[0]);
        } else {
            extra += static_cast<char>(code.extraBytes[0]);
            nModifierPrefix = 1;
        }
    }

    void AddUnprintable(std::size_t nPosition, const CCode& code) {
        // The position counts the extra bytes as they would stand here.
        const std::size_t nAt =
            bExtra ? extra.size() + (nPosition - nExtraChars) - nModifierPrefix : nPosition;
        const unsigned nOffset =
            (kTrailerStart + kTrailerStep * static_cast<unsigned>(nAt)) | kTrailerFlag;
        trailer += static_cast<char>((nOffset >> 8) & 0xFF);
        trailer += static_cast<char>(nOffset & 0xFF);
        trailer += kTrailerMidfix;
        trailer.append(reinterpret_cast<const char*>(code.extraBytes), code.nExtra);
    }

    void AppendTo(std::string& key) {
        while (!extra.empty() && static_cast<std::uint8_t>(extra.back()) <= kExtraPlaceholder) {
            extra.pop_back();
        }
        key += extra;
        const bool bTrailer = !trailer.empty();
        if (!bTrailer && !bKana) return;
        key += kEndText;
        key += kEndText;
        if (bKana) {
            while (!kanaFlags.empty() && kanaFlags.back() == static_cast<char>(kKanaPlain)) {
                kanaFlags.pop_back();
            }
            for (std::size_t i = 0; i < kanaFlags.size(); i += 3) {
                std::uint8_t nByte = kKanaStart;
                for (std::size_t k = 0; k < 3 && i + k < kanaFlags.size(); ++k) {
                    nByte |= static_cast<std::uint8_t>(kanaFlags[i + k] << ((2 - k) * 2));
                }
                key += static_cast<char>(nByte);
            }
            key.append(kKanaSuffix, sizeof kKanaSuffix - 1);
            if (bTrailer) key += kKanaBeforeTrailer;
        }
        if (bTrailer) {
            key += kEndText;
            key += trailer;
        }
    }
};

// Next code point of a UTF-8 text; a byte that starts no valid sequence
// stands for the character of its number.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    std::size_t nLength = 0;
    char32_t c = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        nLength = 2;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        nLength = 3;
        c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        nLength = 4;
        c = b0 & 0x07;
    }
    bool bValid = nLength != 0 && i + nLength <= text.size();
    for (std::size_t k = 1; bValid && k < nLength; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) bValid = false;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not text.
    if (bValid && ((nLength == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                   (nLength == 4 && (c < 0x10000 || c > 0x10FFFF)))) {
        bValid = false;
    }
    if (!bValid) {
        ++i;
        return b0;
    }
    i += nLength;
    return c;
}

}  // namespace

namespace {

// Writes one key: 7F, the primary codes as the code units are put, then
// (at Finish) 01, the tail and 00. Trailing spaces must be left out.
class CKeyWriter {
  public:
    explicit CKeyWriter(std::string& key) : m_key(key) { m_key += kKeyStart; }

    void Put(char16_t unit) {
        // Most characters met carry primary codes only.
        if (unit < 0x100 && kGeneralCodesLatin1[unit].nKind == GENERAL_SIMPLE) {
            const CGeneralCodeRun& simple = kGeneralCodesLatin1[unit];
            m_key.append(reinterpret_cast<const char*>(simple.inlineBytes), simple.nInline);
            ++m_nPosition;
            return;
        }
        const CCode code = m_lookup.Find(unit);
        const std::size_t nHere = m_nPosition;
        if (code.nInline > 0) {
            m_key.append(reinterpret_cast<const char*>(code.inlineBytes), code.nInline);
            ++m_nPosition;
        }
        switch (code.nKind) {
            case GENERAL_ACCENTED:
            case GENERAL_MODIFIER:
                m_tail.AddExtra(nHere, code);
                break;
            case GENERAL_KANA:
                m_tail.AddExtra(nHere, code);
                m_tail.bKana = true;
                m_tail.kanaFlags += static_cast<char>(code.nKanaFlag);
                break;
            case GENERAL_UNPRINTABLE:
                m_tail.AddUnprintable(nHere, code);
                break;
            default:
                break;
        }
    }

    void Finish() {
        m_key += kEndText;
        m_tail.AppendTo(m_key);
        m_key += kEndKey;
    }

  private:
    std::string& m_key;
    CCodeLookup m_lookup;
    CKeyTail m_tail;
    std::size_t m_nPosition = 0;  // characters with primary codes so far
};

}  // namespace

std::string GeneralIndexKey(std::u16string_view units) {
    while (!units.empty() && units.back() == u' ') units.remove_suffix(1);
    std::string key;
    key.reserve(units.size() + 3);
    CKeyWriter writer(key);
    for (const char16_t unit : units) writer.Put(unit);
    writer.Finish();
    return key;
}

void AppendGeneralSortKey(std::string& key, std::string_view utf8) {
    // A space byte is a space character in any case.
    while (!utf8.empty() && utf8.back() == ' ') utf8.remove_suffix(1);
    CKeyWriter writer(key);
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, i);
        if (c >= 0x10000) {
            writer.Put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            writer.Put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            writer.Put(static_cast<char16_t>(c));
        }
    }
    writer.Finish();
}

std::string GeneralSortKey(std::string_view utf8) {
    std::string key;
    key.reserve(utf8.size() + 3);
    AppendGeneralSortKey(key, utf8);
    return key;
}

int CompareGeneral(std::string_view a, std::string_view b) {
    const int n = GeneralSortKey(a).compare(GeneralSortKey(b));
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

}  // namespace vd::jet
