// Reading back the two navigation files the compilers write, for checking
// and for printing them ("vellumdesk dump").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vd {

// One record of "inhalt.bin".
struct SContentsRecord {
    std::uint8_t nLevel = 0;
    std::uint8_t nNumber = 0;
    std::uint8_t nKind = 0;
    std::string strText;       // without the terminating zero byte
    bool bTerminated = false;  // the text's last byte was the zero byte
};

// One record of "kategorien.bin".
struct SCategoryRecord {
    std::string strName;
    std::string strText;
    std::uint8_t nFirst = 0;
    std::uint8_t nSecond = 0;
};

// Splits the bytes of "inhalt.bin" into records. Answers false when a record
// runs past the end of the data; the records before it are in records and
// *pstrProblem (when given) says which record at which offset is cut short.
bool bReadContentsRecords(const std::uint8_t* pData, std::size_t nSize,
                          std::vector<SContentsRecord>& records, std::string* pstrProblem);

// Likewise for the bytes of "kategorien.bin".
bool bReadCategoryRecords(const std::uint8_t* pData, std::size_t nSize,
                          std::vector<SCategoryRecord>& records, std::string* pstrProblem);

// True when the bytes read as "inhalt.bin" as the contents compiler writes
// it: whole records, levels from 1, kinds 1 or 2, every text zero-terminated.
bool bLooksLikeContents(const std::uint8_t* pData, std::size_t nSize);

// True when the bytes read as whole "kategorien.bin" records.
bool bLooksLikeCategories(const std::uint8_t* pData, std::size_t nSize);

}  // namespace vd
