// vellumdesk: the command-line face of the tools library.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace vd::cli {

static const CCommand* const kCommands[] = {
    &kContentsCommand, &kCategoriesCommand, &kBmp2GifCommand, &kShgCommand,
    &kShgInfoCommand,  &kDumpCommand,       &kDbCommand,
};

int Fail(const std::string& strMessage) {
    std::fprintf(stderr, "vellumdesk: %s\n", strMessage.c_str());
    return kExitFailure;
}

int UsageError(const CCommand& command, const std::string& strProblem) {
    std::fprintf(stderr, "vellumdesk %s: %s\nusage: %s\nTry 'vellumdesk %s --help'.\n",
                 command.pszName, strProblem.c_str(), command.pszUsage, command.pszName);
    return kExitUsage;
}

static void PrintToolHelp(std::FILE* out) {
    std::fprintf(out,
                 "usage: vellumdesk COMMAND [ARGS...]\n"
                 "       vellumdesk COMMAND --help\n"
                 "       vellumdesk --help | --version\n\n"
                 "Publishes help material: hypergraphics to GIF and image maps, bitmaps to\n"
                 "GIF, contents outlines and category lists to their navigation files.\n\n"
                 "Commands:\n");
    for (const CCommand* pCommand : kCommands) {
        std::fprintf(out, "  %-11s %s\n", pCommand->pszName, pCommand->pszSummary);
    }
    std::fprintf(out,
                 "\nExit status: 0 on success, 1 when the work failed (the reason is printed\n"
                 "on stderr), 2 on a usage error.\n");
}

static bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

static int Main(int argc, char** argv) {
    if (argc < 2) {
        PrintToolHelp(stderr);
        return kExitUsage;
    }
    const std::string first = argv[1];
    if (IsHelp(first)) {
        PrintToolHelp(stdout);
        return kExitSuccess;
    }
    if (first == "--version") {
        std::printf("vellumdesk %s\n", VELLUMDESK_VERSION);
        return kExitSuccess;
    }
    for (const CCommand* pCommand : kCommands) {
        if (first != pCommand->pszName) continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        for (const std::string& arg : args) {
            if (IsHelp(arg)) {
                std::printf("usage: %s\n\n%s", pCommand->pszUsage, pCommand->pszHelp);
                return kExitSuccess;
            }
        }
        return pCommand->pfnRun(args);
    }
    std::fprintf(stderr, "vellumdesk: unknown command '%s'\nTry 'vellumdesk --help'.\n",
                 first.c_str());
    return kExitUsage;
}

}  // namespace vd::cli

// Whatever escapes a command (an allocation that failed, an error no command
// expected) ends the tool with one line on stderr and status 1, never with an
// abort. The messages are printed without allocating.
int main(int argc, char** argv) {
    try {
        return vd::cli::Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("vellumdesk: out of memory\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vellumdesk: %s\n", error.what());
    } catch (...) {
        std::fputs("vellumdesk: unexpected internal error\n", stderr);
    }
    return vd::cli::kExitFailure;
}
