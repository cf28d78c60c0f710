#include "cli/Arguments.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vd::cli {

bool ParseArguments(const std::vector<std::string>& args, std::initializer_list<COptionSpec> specs,
                    CArguments& parsed, std::string* pstrProblem) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            parsed.operands.insert(parsed.operands.end(), args.begin() + static_cast<long>(i) + 1,
                                   args.end());
            return true;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        const COptionSpec* pMatch = nullptr;
        std::string strValue;
        bool bValueAttached = false;
        for (const COptionSpec& option : specs) {
            const std::size_t nLength = std::strlen(option.pszName);
            if (arg == option.pszName) {
                pMatch = &option;
                break;
            }
            if (!option.bTakesValue || arg.compare(0, nLength, option.pszName) != 0) continue;
            // "-jN" for a short option, "--list=FILE" for a long one.
            const bool bLong = option.pszName[1] == '-';
            if (bLong && arg[nLength] != '=') continue;
            pMatch = &option;
            strValue = arg.substr(bLong ? nLength + 1 : nLength);
            bValueAttached = true;
            break;
        }
        if (pMatch == nullptr) {
            *pstrProblem = "unknown option '" + arg + "'";
            return false;
        }
        if (pMatch->bTakesValue && !bValueAttached) {
            if (i + 1 >= args.size()) {
                *pstrProblem = "option '" + arg + "' needs a value";
                return false;
            }
            strValue = args[++i];
        }
        parsed.options[pMatch->pszName] = strValue;
    }
    return true;
}

bool ParseNumber(const std::string& strText, long long nMin, long long nMax, long long& nValue) {
    if (strText.empty() || strText.find_first_of(" \t\n") != std::string::npos) return false;
    errno = 0;
    char* pEnd = nullptr;
    const long long n = std::strtoll(strText.c_str(), &pEnd, 10);
    if (errno != 0 || pEnd == nullptr || *pEnd != '\0' || n < nMin || n > nMax) return false;
    nValue = n;
    return true;
}

}  // namespace vd::cli
