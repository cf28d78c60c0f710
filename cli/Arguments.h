// Splits a command's arguments into options and operands.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace vd::cli {

struct COptionSpec {
    const char* pszName;  // "-q", "--strict", "-j"
    bool bTakesValue;     // "-j N", "-jN", "--list FILE", "--list=FILE"
};

struct CArguments {
    std::map<std::string, std::string> options;  // by name; a flag's value is ""
    std::vector<std::string> operands;           // in order

    bool Has(const char* pszName) const { return options.count(pszName) != 0; }
    const std::string& Value(const char* pszName) const { return options.at(pszName); }
};

// Options may stand anywhere before "--"; everything after "--" is an operand,
// and so is "-" alone. Answers false with *pstrProblem on an unknown option or
// a missing value.
bool ParseArguments(const std::vector<std::string>& args, std::initializer_list<COptionSpec> specs,
                    CArguments& parsed, std::string* pstrProblem);

// A whole decimal number within [nMin, nMax].
bool ParseNumber(const std::string& strText, long long nMin, long long nMax, long long& nValue);

}  // namespace vd::cli
