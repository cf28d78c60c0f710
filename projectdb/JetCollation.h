// Text keys of the Jet store's indexes in the "General" sort order, made
// exactly as a Jet writer makes the index entry of a Text value: letter case
// is not part of a key, accents count only where the letters are equal,
// ligatures and fullwidth forms key as their letters, trailing spaces are
// dropped and some characters are ignored altogether. Two texts are equal in
// a seek exactly when their keys are equal, and index order is the unsigned
// byte order of the keys.
#pragma once

#include <string>
#include <string_view>

namespace vd::jet {

// The index key of a text given as UTF-16 code units: 7F, the primary codes,
// 01, what accents, ignorable punctuation and kana add, then 00.
std::string GeneralIndexKey(std::u16string_view units);

// The index key of a UTF-8 text. A byte that starts no valid UTF-8 sequence
// stands for the character of that number (as in Latin-1).
std::string GeneralSortKey(std::string_view utf8);

// The same, appended to key.
void AppendGeneralSortKey(std::string& key, std::string_view utf8);

// <0, 0 or >0 as a sorts before, equal to or after b in the "General" order.
int CompareGeneral(std::string_view a, std::string_view b);

}  // namespace vd::jet
