// Publishes a segmented hypergraphic as a GIF picture and an HTML image map.
#pragma once

#include <cstdint>
#include <string>

namespace vd {

class CLinkSink;

// What a caller of the C++ interface may ask of one conversion beyond its
// result (the exported operation asks nothing of this).
struct SShgConversionRequest {
    // Hears how every hotspot's link was resolved, in file order.
    CLinkSink* pLinks = nullptr;
    // False: the links are resolved and reported, nothing is written.
    bool bWriteOutputs = true;
    // True: an engine error goes into the reason only instead of being shown.
    bool bDatabaseErrorInReason = false;
    // Filled when both outputs were written.
    std::string strGifPath;
    std::string strMapPath;
};

// Answers 1 when both the GIF and the image map were written (with
// bWriteOutputs clear: when the links were resolved), else 0; pstrReason,
// when given, receives why it failed. The two replace earlier files of their
// names together, whole, or not at all: a failure leaves no file behind and
// earlier outputs as they were.
int bConvertSHGToGIFMAP(const std::string& strDatabase, const std::string& strShg,
                        std::int32_t nSourceKey, std::string* pstrReason = nullptr,
                        SShgConversionRequest* pRequest = nullptr);

}  // namespace vd
