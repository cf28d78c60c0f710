#include "cli/Arguments.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vd::cli {

namespace {

// getopt_long's code for a long option without a short form: its index,
// past every character.
constexpr int kLongOnlyBase = 0x1000;
constexpr int kHelpCode = 'h';

// The option getopt_long refused, for messages: a long option as given
// (without any "=VALUE") when the call went past its word, else "-x" for
// the short option x (which may stand inside a bundle such as "-qx").
std::string Offending(char** argv, int nOptindBefore, int nOptind, int nOptopt) {
    std::string strWord = nOptind > 0 && argv[nOptind - 1] != nullptr ? argv[nOptind - 1] : "";
    if (nOptind > nOptindBefore && strWord.rfind("--", 0) == 0) {
        const std::size_t nEquals = strWord.find('=');
        if (nEquals != std::string::npos) strWord.resize(nEquals);
        return strWord;
    }
    if (nOptopt > 0 && nOptopt < 256) return std::string("-") + static_cast<char>(nOptopt);
    return strWord;
}

// The long options a word ("--s") is a prefix of.
std::size_t CountPrefixMatches(const std::vector<option>& longs, const std::string& strWord) {
    if (strWord.rfind("--", 0) != 0) return 0;
    const std::string strName = strWord.substr(2);
    std::size_t nMatches = 0;
    for (const option& opt : longs) {
        if (opt.name != nullptr && std::strncmp(opt.name, strName.c_str(), strName.size()) == 0) {
            ++nMatches;
        }
    }
    return nMatches;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, std::initializer_list<COptionSpec> specs,
                    CArguments& parsed, std::string* pstrProblem) {
    // "-" first: operands come back in order (code 1), whatever
    // POSIXLY_CORRECT says; ":" then: a missing value answers ':'.
    std::string strShort = "-:h";
    std::vector<option> longs;
    std::vector<const COptionSpec*> byCode(static_cast<std::size_t>(kLongOnlyBase) + specs.size(),
                                           nullptr);
    std::size_t nIndex = 0;
    for (const COptionSpec& option : specs) {
        const int nHas = option.bTakesValue ? required_argument : no_argument;
        const bool bShort = option.pszName[1] != '-';
        int nCode = kLongOnlyBase + static_cast<int>(nIndex++);
        if (bShort) {
            nCode = static_cast<unsigned char>(option.pszName[1]);
            strShort += option.pszName[1];
            if (option.bTakesValue) strShort += ':';
        }
        byCode[static_cast<std::size_t>(nCode)] = &option;
        const char* pszLong = bShort ? option.pszLong : option.pszName;
        if (pszLong != nullptr) longs.push_back({pszLong + 2, nHas, nullptr, nCode});
    }
    longs.push_back({"help", no_argument, nullptr, kHelpCode});
    longs.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.emplace_back("vellumdesk");
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    // optind 0 makes glibc start afresh (a command may parse more than once).
    optind = 0;
    opterr = 0;
    for (;;) {
        optopt = 0;
        const int nBefore = optind;
        const int nCode = getopt_long(argc, argv.data(), strShort.c_str(), longs.data(), nullptr);
        if (nCode == -1) break;
        if (nCode == 1) {
            parsed.operands.emplace_back(optarg);
            continue;
        }
        if (nCode == kHelpCode) throw CHelpRequested();
        if (nCode == ':') {
            *pstrProblem =
                "option '" + Offending(argv.data(), nBefore, optind, optopt) + "' needs a value";
            return false;
        }
        if (nCode == '?') {
            const std::string strWord = Offending(argv.data(), nBefore, optind, optopt);
            const std::size_t nMatches = CountPrefixMatches(longs, strWord);
            if (nMatches > 1) {
                *pstrProblem = "option '" + strWord + "' is ambiguous";
            } else if (nMatches == 1) {
                *pstrProblem = "option '" + strWord + "' takes no value";
            } else {
                *pstrProblem = "unknown option '" + strWord + "'";
            }
            return false;
        }
        const COptionSpec* pSpec = nCode >= 0 && static_cast<std::size_t>(nCode) < byCode.size()
                                       ? byCode[static_cast<std::size_t>(nCode)]
                                       : nullptr;
        if (pSpec == nullptr) {
            *pstrProblem =
                "unknown option '" + Offending(argv.data(), nBefore, optind, optopt) + "'";
            return false;
        }
        parsed.options[pSpec->pszName] = pSpec->bTakesValue && optarg != nullptr ? optarg : "";
    }
    // What follows "--".
    for (int i = optind; i < argc; ++i)
        parsed.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
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
