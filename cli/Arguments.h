// Splits a command's arguments into options and operands with getopt_long,
// as GNU tools do.
#pragma once

#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vd::cli {

struct COptionSpec {
    const char* pszName;            // "-q", "--strict", "-j": the key in CArguments
    bool bTakesValue;               // "-j N", "-jN", "--list FILE", "--list=FILE"
    const char* pszLong = nullptr;  // the long form of a short option: "--jobs"
};

struct CArguments {
    std::map<std::string, std::string> options;  // by pszName; a flag's value is ""
    std::vector<std::string> operands;           // in order

    bool Has(const char* pszName) const { return options.count(pszName) != 0; }
    const std::string& Value(const char* pszName) const { return options.at(pszName); }
};

// Thrown by ParseArguments for -h, --help or a prefix of it ("--he"); the
// command's help is then printed instead of running it.
struct CHelpRequested : std::runtime_error {
    CHelpRequested() : std::runtime_error("help") {}
};

// Options may stand anywhere before "--" (before or after operands); short
// options bundle ("-qj2"), long options may be shortened to any unambiguous
// prefix ("--str") and take their value as "--jobs=N" or "--jobs N".
// Everything after "--" is an operand, and so is "-" alone. Answers false
// with *pstrProblem on an unknown or ambiguous option, a missing value or a
// value given to a flag.
bool ParseArguments(const std::vector<std::string>& args, std::initializer_list<COptionSpec> specs,
                    CArguments& parsed, std::string* pstrProblem);

// A whole decimal number within [nMin, nMax].
bool ParseNumber(const std::string& strText, long long nMin, long long nMax, long long& nValue);

}  // namespace vd::cli
