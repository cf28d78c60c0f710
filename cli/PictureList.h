// The pictures of one shg run: pairs of SHG file and Sources key, from the
// command line or from a list file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vd::cli {

struct SPicture {
    std::string strShg;
    std::int32_t nKey = 0;
};

// A key: a whole decimal number of 32 signed bits.
bool ParseSourceKey(const std::string& strText, std::int32_t& nKey);

// Reads strPath: one "KEY SHG" a line, blanks or tabs between them; blank
// lines and lines whose first non-blank character is "#" are skipped; the
// path runs to the end of the line (blanks inside it kept, trailing ones
// dropped). Answers false with *pstrProblem naming the file and line.
bool ReadPictureList(const std::string& strPath, std::vector<SPicture>& pictures,
                     std::string* pstrProblem);

}  // namespace vd::cli
