#include "compilers/ContentsCompiler.h"

#include "common/Strings.h"

namespace vd {

int bCompileContents(const std::string&, const std::string&, std::string* pstrReason) {
    SetReason(pstrReason, "not implemented yet");
    return 0;
}

}  // namespace vd
