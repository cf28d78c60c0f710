#include "compilers/CategoryCompiler.h"

#include "common/Strings.h"

namespace vd {

int bCompileCategory(const std::string&, const std::string&, std::string* pstrReason) {
    SetReason(pstrReason, "not implemented yet");
    return 0;
}

}  // namespace vd
