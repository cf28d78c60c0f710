// The engine error: raised by every failing database engine operation; its
// description names what failed (file, table, index or field) and why.
#pragma once

#include <string>

#include "common/Exceptions.h"

namespace vd {

class CEngineException : public CException {
  public:
    explicit CEngineException(std::string strDescription) : CException(std::move(strDescription)) {}
    std::string GetDescription() const { return what(); }
};

}  // namespace vd
