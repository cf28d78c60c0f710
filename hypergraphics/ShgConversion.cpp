#include "hypergraphics/ShgConversion.h"

#include "common/Strings.h"

namespace vd {

int bConvertSHGToGIFMAP(const std::string&, const std::string&, std::int32_t,
                        std::string* pstrReason) {
    SetReason(pstrReason, "not implemented yet");
    return 0;
}

}  // namespace vd
