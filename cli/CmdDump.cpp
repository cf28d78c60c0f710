#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Quoting.h"
#include "common/Strings.h"
#include "compilers/NavigationFiles.h"

namespace vd::cli {

namespace {

enum class EFileKind { unknown, contents, categories };

// Far more than any publication's navigation file holds; a bound for files
// such as devices that never end.
constexpr std::size_t kMaxDumpSize = std::size_t{256} << 20;

std::string Lower(std::string strText) {
    for (char& c : strText) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return strText;
}

bool ReadWholeFile(const std::string& strPath, std::vector<std::uint8_t>& bytes,
                   std::string* pstrCause) {
    struct CCloser {
        void operator()(std::FILE* pFile) const noexcept { std::fclose(pFile); }
    };
    errno = 0;
    std::unique_ptr<std::FILE, CCloser> pFile(std::fopen(strPath.c_str(), "rb"));
    if (!pFile) {
        *pstrCause =
            "cannot open " + QuotePath(strPath) + ": " + std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    std::uint8_t buffer[16384];
    for (;;) {
        errno = 0;
        const std::size_t nRead = std::fread(buffer, 1, sizeof buffer, pFile.get());
        if (nRead > kMaxDumpSize - bytes.size()) {
            *pstrCause = "cannot read " + QuotePath(strPath) + ": larger than " +
                         std::to_string(kMaxDumpSize >> 20) +
                         " MiB, too large for a navigation file";
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + nRead);
        if (nRead < sizeof buffer) break;
    }
    if (std::ferror(pFile.get()) != 0) {
        *pstrCause =
            "cannot read " + QuotePath(strPath) + ": " + std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    return true;
}

EFileKind KindByName(const std::string& strPath) {
    const std::string strName = Lower(vd::FileNamePart(strPath));
    if (vd::EndsWith(strName, "kategorien.bin")) return EFileKind::categories;
    if (vd::EndsWith(strName, "inhalt.bin")) return EFileKind::contents;
    return EFileKind::unknown;
}

int DumpContents(const std::string& strPath, const std::vector<std::uint8_t>& bytes) {
    std::vector<vd::SContentsRecord> records;
    std::string strProblem;
    const bool bWhole = vd::bReadContentsRecords(bytes.data(), bytes.size(), records, &strProblem);
    for (const vd::SContentsRecord& record : records) {
        std::printf("level=%u number=%u kind=%u text=%s%s\n", unsigned{record.nLevel},
                    unsigned{record.nNumber}, unsigned{record.nKind},
                    Quoted(record.strText).c_str(),
                    record.bTerminated ? "" : " (no terminating zero byte)");
    }
    std::fflush(stdout);
    return bWhole ? kExitSuccess
                  : Fail("dump: cannot read " + QuotePath(strPath) + ": " + strProblem);
}

int DumpCategories(const std::string& strPath, const std::vector<std::uint8_t>& bytes) {
    std::vector<vd::SCategoryRecord> records;
    std::string strProblem;
    const bool bWhole = vd::bReadCategoryRecords(bytes.data(), bytes.size(), records, &strProblem);
    for (const vd::SCategoryRecord& record : records) {
        std::printf("name=%s text=%s first=%u second=%u\n", Quoted(record.strName).c_str(),
                    Quoted(record.strText).c_str(), unsigned{record.nFirst},
                    unsigned{record.nSecond});
    }
    std::fflush(stdout);
    return bWhole ? kExitSuccess
                  : Fail("dump: cannot read " + QuotePath(strPath) + ": " + strProblem);
}

int Run(const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strOptionProblem;
    if (!ParseArguments(args, {{"--contents", false}, {"--categories", false}}, parsed,
                        &strOptionProblem)) {
        return UsageError(kDumpCommand, strOptionProblem);
    }
    if (parsed.Has("--contents") && parsed.Has("--categories")) {
        return UsageError(kDumpCommand, "give --contents or --categories, not both");
    }
    EFileKind kind = parsed.Has("--contents")     ? EFileKind::contents
                     : parsed.Has("--categories") ? EFileKind::categories
                                                  : EFileKind::unknown;
    const std::vector<std::string>& files = parsed.operands;
    if (files.size() != 1) {
        return UsageError(kDumpCommand, files.empty() ? "FILE is needed" : "too many arguments");
    }
    const std::string& strPath = files[0];
    std::vector<std::uint8_t> bytes;
    std::string strCause;
    if (!ReadWholeFile(strPath, bytes, &strCause)) {
        return Fail("dump: " + strCause);
    }

    if (kind == EFileKind::unknown) kind = KindByName(strPath);
    if (kind == EFileKind::unknown) {
        if (vd::bLooksLikeContents(bytes.data(), bytes.size())) {
            kind = EFileKind::contents;
        } else if (vd::bLooksLikeCategories(bytes.data(), bytes.size())) {
            kind = EFileKind::categories;
        } else {
            return Fail("dump: cannot read " + QuotePath(strPath) +
                        ": it holds neither contents nor category records (name the kind with "
                        "--contents or --categories)");
        }
    }
    return kind == EFileKind::contents ? DumpContents(strPath, bytes)
                                       : DumpCategories(strPath, bytes);
}

}  // namespace

const CCommand kDumpCommand = {
    "dump",
    "print the records of inhalt.bin or kategorien.bin",
    "vellumdesk dump [--contents | --categories] FILE",
    "Prints the records of a compiled navigation file, one record a line:\n"
    "  contents:   level=L number=N kind=K text=\"...\"\n"
    "  categories: name=\"...\" text=\"...\" first=A second=B\n\n"
    "The kind of FILE is taken from --contents or --categories when given,\n"
    "else from its name (ending in \"inhalt.bin\" or \"kategorien.bin\", in any\n"
    "case), else from its bytes (contents records are tried first).\n"
    "In texts, \" and \\ are escaped and bytes that are control characters or\n"
    "not UTF-8 are written as \\xNN.\n\n"
    "A record cut short by the end of the file is reported after the whole\n"
    "records are printed, and the exit status is then 1.\n",
    Run,
};

}  // namespace vd::cli
