// vellumdesk: the command-line face of the tools library.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CheckedStdout.h"
#include "cli/Command.h"
#include "cli/Interruption.h"
#include "vellumdesk.h"

namespace vd::cli {

static const CCommand* const kCommands[] = {
    &kContentsCommand, &kCategoriesCommand, &kBmp2GifCommand, &kShgCommand,
    &kLinksCommand,    &kShgInfoCommand,    &kDumpCommand,    &kDbCommand,
};

int Fail(const std::string& strMessage) {
    std::fprintf(stderr, "vellumdesk: %s\n", strMessage.c_str());
    return kExitFailure;
}

void Warn(const CCommand& command, const std::string& strText) {
    std::fprintf(stderr, "vellumdesk: %s: warning: %s\n", command.pszName, strText.c_str());
}

int UsageError(const CCommand& command, const std::string& strProblem) {
    std::fprintf(stderr, "vellumdesk: %s: %s\nTry 'vellumdesk %s --help'.\n", command.pszName,
                 strProblem.c_str(), command.pszName);
    return kExitUsage;
}

std::string ReasonNaming(const char* pszVerb, const std::string& strPath,
                         const std::string& strReason) {
    // "cannot VERB 'PATH': ..." already; "cannot allocate ..." names no path.
    if (strReason.rfind("cannot ", 0) == 0 && strReason.find('\'') != std::string::npos) {
        return strReason;
    }
    return std::string("cannot ") + pszVerb + " " + QuotePath(strPath) + ": " + strReason;
}

static void PrintToolHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: vellumdesk COMMAND [OPTION]... [ARG]...\n"
                 "  or:  vellumdesk help [COMMAND]\n"
                 "  or:  vellumdesk --help | --version\n\n"
                 "Publishes help material: hypergraphics to GIF and image maps, bitmaps to\n"
                 "GIF, contents outlines and category lists to their navigation files.\n\n"
                 "Commands:\n");
    for (const CCommand* pCommand : kCommands) {
        std::fprintf(out, "  %-11s %s\n", pCommand->pszName, pCommand->pszSummary);
    }
    std::fprintf(out,
                 "\n"
                 "'vellumdesk COMMAND --help' (or 'vellumdesk help COMMAND') describes a\n"
                 "command. \"--\" ends a command's options; arguments after it are taken as\n"
                 "they stand.\n\n"
                 "A FILE of text to read (an outline, a category list, a --list file) may be\n"
                 "\"-\", standard input.\n\n"
                 "Exit status: 0 on success, 1 when the work failed (a write error on\n"
                 "standard output included), 2 on a usage error, 128 + N when signal N\n"
                 "(SIGINT, SIGTERM, SIGHUP) ended the run; its temporaries are removed.\n"
                 "Error lines read \"vellumdesk: COMMAND: cannot VERB 'PATH': why\".\n");
}

// The GNU form: name, package and version; copyright; licence.
static void PrintVersion() {
    std::printf(
        "vellumdesk (Vellumdesk tools library) %s\n"
        "Copyright (C) 2026 the Vellumdesk tools library authors.\n"
        "License: MIT <https://opensource.org/license/mit>.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n",
        VELLUMDESK_VERSION_STRING);
}

static void PrintCommandHelp(const CCommand& command) {
    std::printf("Usage: %s\n%s.\n\n%s", command.pszUsage, command.pszSummary, command.pszHelp);
}

static bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

static const CCommand* FindCommand(const std::string& strName) {
    for (const CCommand* pCommand : kCommands) {
        if (strName == pCommand->pszName) return pCommand;
    }
    return nullptr;
}

static int UnknownCommand(const std::string& strName) {
    std::fprintf(stderr, "vellumdesk: unknown command '%s'\nTry 'vellumdesk --help'.\n",
                 strName.c_str());
    return kExitUsage;
}

// Runs a command; any exception that escapes it is its failure.
static int RunCommand(const CCommand& command, const std::vector<std::string>& args) {
    // --help before the end of the options asks for the command's help.
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (IsHelp(arg)) {
            PrintCommandHelp(command);
            return kExitSuccess;
        }
    }
    try {
        return command.pfnRun(args);
    } catch (const CHelpRequested&) {
        // A bundled or shortened form of --help ("-qh", "--he").
        PrintCommandHelp(command);
        return kExitSuccess;
    } catch (const std::bad_alloc&) {
        return Fail(std::string(command.pszName) + ": out of memory");
    } catch (const std::exception& error) {
        return Fail(std::string(command.pszName) + ": " + error.what());
    }
}

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
        PrintVersion();
        return kExitSuccess;
    }
    if (first == "help") {
        if (argc == 2) {
            PrintToolHelp(stdout);
            return kExitSuccess;
        }
        const CCommand* pCommand = FindCommand(argv[2]);
        if (pCommand == nullptr) return UnknownCommand(argv[2]);
        if (argc > 3) return UsageError(*pCommand, "help takes one COMMAND");
        PrintCommandHelp(*pCommand);
        return kExitSuccess;
    }
    const CCommand* pCommand = FindCommand(first);
    if (pCommand == nullptr) return UnknownCommand(first);
    return RunCommand(*pCommand, std::vector<std::string>(argv + 2, argv + argc));
}

}  // namespace vd::cli

// Whatever escapes a command (an allocation that failed, an error no command
// expected) ends the tool with one line on stderr and status 1, never with an
// abort. The messages are printed without allocating.
// Text that could not be written to stdout fails the run, with the reason, as
// GNU tools do; a command that failed already keeps its status.
static int Finish(int nStatus) {
    const int nError = vd::cli::CloseCheckedStdout();
    if (nError == 0) return nStatus;
    std::fprintf(stderr, "vellumdesk: write error: %s\n", std::strerror(nError));
    return nStatus == vd::cli::kExitSuccess ? vd::cli::kExitFailure : nStatus;
}

int main(int argc, char** argv) {
    vd::cli::InstallCheckedStdout();
    vd::cli::InstallInterruptionHandlers();
    try {
        return Finish(vd::cli::Main(argc, argv));
    } catch (const std::bad_alloc&) {
        std::fputs("vellumdesk: out of memory\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vellumdesk: %s\n", error.what());
    } catch (...) {
        std::fputs("vellumdesk: unexpected internal error\n", stderr);
    }
    return Finish(vd::cli::kExitFailure);
}
