// Text comparison of the Jet store's index keys, after the "General" sort
// order of the host's desktop database: letter case is not part of a key,
// accented letters fold their case too and sort right after their base
// letter ("u" < "ü" < "v"), and trailing spaces are not part of a key.
#pragma once

#include <string>
#include <string_view>

namespace vd::jet {

// A byte string whose plain byte order is the "General" order of the UTF-8
// text it was made from; two texts are equal keys when their sort keys are
// equal. Made once per value so that sorting and seeking compare bytes only.
std::string GeneralSortKey(std::string_view utf8);

// <0, 0 or >0 as a sorts before, equal to or after b in the "General" order.
int CompareGeneral(std::string_view a, std::string_view b);

}  // namespace vd::jet
