// What each UTF-16 code unit adds to a Jet text index key in the "General"
// sort order: a table of runs of code units, generated from the keys that a
// Jet writer makes (tools/make-jet-general-codes.py writes JetGeneralCodes.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vd::jet {

enum EGeneralCodeKind : std::uint8_t {
    GENERAL_IGNORED = 0,      // adds nothing
    GENERAL_SIMPLE = 1,       // inline (primary) bytes only
    GENERAL_ACCENTED = 2,     // inline bytes and extra (accent) bytes
    GENERAL_MODIFIER = 3,     // adds its byte to the extra byte before it
    GENERAL_UNPRINTABLE = 4,  // an entry in the key's trailer
    GENERAL_KANA = 5,         // inline bytes, extra bytes and a kana flag
};

// Code units nFirst up to the next run's nFirst. Within a run the last inline
// byte (simple, accented, kana) or the last extra byte (unprintable) rises by
// one from one code unit to the next; everything else is the same.
struct CGeneralCodeRun {
    std::uint16_t nFirst;
    std::uint8_t nKind;
    std::uint8_t nInline;
    std::uint8_t inlineBytes[4];
    std::uint8_t nExtra;
    std::uint8_t extraBytes[2];  // a modifier's byte; an unprintable's code
    std::uint8_t nKanaFlag;
};

extern const CGeneralCodeRun kGeneralCodeRuns[];
extern const std::size_t kGeneralCodeRunCount;
// The code of each of U+0000..U+00FF on its own (a run of one), for the
// characters met most.
extern const CGeneralCodeRun kGeneralCodesLatin1[256];

}  // namespace vd::jet
