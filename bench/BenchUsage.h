// The argument check of a benchmark that takes at most one operand: --help
// (or -h) prints the usage on stdout, anything else that is not one operand
// prints it on stderr. Answers the exit status when the program should stop
// there, or nothing when it should run.
#pragma once

#include <cstdio>
#include <cstring>
#include <optional>

inline std::optional<int> CheckOneOperand(int argc, char** argv, const char* pszUsage) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(pszUsage, stdout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs(pszUsage, stderr);
        return 2;
    }
    return std::nullopt;
}
