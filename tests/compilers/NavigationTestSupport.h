// Helpers of the compiler tests: expected records as bytes, and running a
// compiler through the exported C operations on a text in a temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace vd::test {

using Bytes = std::vector<std::uint8_t>;

// Appends the bytes of a text (element by element: GCC 12 at -O3 warns
// falsely about a range insert right after a list-initialised vector).
inline void Append(Bytes& bytes, const std::string& strText) {
    for (const char c : strText) bytes.push_back(static_cast<std::uint8_t>(c));
}

// A contents record: Level, Number, Length, Kind, text, zero byte.
inline Bytes ContentsRecord(int nLevel, int nNumber, int nKind, const std::string& strText) {
    Bytes record;
    record.push_back(static_cast<std::uint8_t>(nLevel));
    record.push_back(static_cast<std::uint8_t>(nNumber));
    record.push_back(static_cast<std::uint8_t>(strText.size() + 1));
    record.push_back(static_cast<std::uint8_t>(nKind));
    Append(record, strText);
    record.push_back(0);
    return record;
}

// A category record: NameLength, Name, TextLength, Text, First, Second.
inline Bytes CategoryRecord(const std::string& strName, const std::string& strText, int nFirst,
                            int nSecond) {
    Bytes record;
    record.push_back(static_cast<std::uint8_t>(strName.size()));
    Append(record, strName);
    record.push_back(static_cast<std::uint8_t>(strText.size()));
    Append(record, strText);
    record.push_back(static_cast<std::uint8_t>(nFirst));
    record.push_back(static_cast<std::uint8_t>(nSecond));
    return record;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The outcome of one compilation: the operation's answer and the output
// file's bytes (bWritten false when no output file exists).
struct SCompiled {
    int nResult = -1;
    bool bWritten = false;
    Bytes bytes;
};

}  // namespace vd::test
