// The argument check of a benchmark that takes at most one operand: --help
// (or -h) prints the usage on stdout, anything else that is not one operand
// prints it on stderr. Answers the exit status when the program should stop
// there, or nothing when it should run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

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

// The arguments of a benchmark that takes --quick and one work folder
// (default $TMPDIR or /tmp), checked the same way: --help (or -h) prints the
// usage on stdout, an unknown option or a second folder prints it on stderr.
struct SQuickRun {
    bool bQuick = false;
    std::string strWork;
};

inline std::optional<int> CheckQuickRun(int argc, char** argv, const char* pszUsage,
                                        SQuickRun& run) {
    const char* pszTemp = std::getenv("TMPDIR");
    run.strWork = pszTemp != nullptr ? pszTemp : "/tmp";
    bool bFolder = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(pszUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--quick") == 0) {
            run.bQuick = true;
        } else if (argv[i][0] == '-' || bFolder) {
            std::fputs(pszUsage, stderr);
            return 2;
        } else {
            run.strWork = argv[i];
            bFolder = true;
        }
    }
    return std::nullopt;
}
