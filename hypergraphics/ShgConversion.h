// Publishes a segmented hypergraphic as a GIF picture and an HTML image map.
#pragma once

#include <cstdint>
#include <string>

namespace vd {

// Answers 1 when both the GIF and the image map were written, else 0;
// pstrReason, when given, receives why it failed. The two replace earlier
// files of their names together, whole, or not at all: a failure leaves no
// file behind and earlier outputs as they were.
int bConvertSHGToGIFMAP(const std::string& strDatabase, const std::string& strShg,
                        std::int32_t nSourceKey, std::string* pstrReason = nullptr);

}  // namespace vd
