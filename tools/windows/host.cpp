// A host program of the Vellumdesk module: it loads the module as an
// application does (LoadLibraryA and GetProcAddress on Windows, dlopen and
// dlsym elsewhere), runs the calls of a case file and checks each result, then
// compares the files written with those of a reference run.
//
//   vd_host MODULE CASES DATA OUT [EXPECTED]
//
// MODULE is the module file, CASES the case file, DATA the folder of the
// inputs, OUT the folder that receives the outputs. EXPECTED, when given, is
// the OUT folder of a reference run (the same cases run by the Linux build):
// every file in it must exist in OUT with the same bytes, and OUT must hold
// no other file. The program prints one line per check and
// "N passed, N failed"; its exit status is 0 only when nothing failed.
//
// The case file is UTF-8 text, one step per line ("#" starts a comment):
//   load | unload                    load the module and look up the four
//                                    operations | unload it
//   contents R IN PREFIX             bCompileContents(IN, PREFIX) answers R
//   category R IN PREFIX             bCompileCategory(IN, PREFIX) answers R
//   bmp R BITMAP FOLDER              bConvertBmpToGif(BITMAP, FOLDER) answers R
//   shg R DATABASE SHG KEY           bConvertSHGToGIFMAP(DATABASE, SHG, KEY)
//   exists P | absent P              the file P exists | does not exist
//   size P N                         the file P holds N bytes
//   locked P | unlocked P            (Windows) P cannot | can be renamed, that
//                                    is, a program holds it open or not
// A line that starts with "win:" or "posix:" runs only on that platform.
// Arguments: "data:REL" and "out:REL" are REL inside DATA or OUT, with "/"
// turned into the platform's separator (and, on Windows, the text into the
// ANSI code page); "null" is a null pointer; anything else is passed as is.
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "vellumdesk.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#endif

namespace {

using TwoPathsFn = int32_t(VELLUMDESK_CALL*)(const char*, const char*);
using ShgFn = int32_t(VELLUMDESK_CALL*)(const char*, const char*, int32_t);

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr const char* kPlatform = "win";
#else
constexpr char kSeparator = '/';
constexpr const char* kPlatform = "posix";
#endif

// ---------------------------------------------------------------- reporting

struct CTally {
    int nPassed = 0;
    int nFailed = 0;
    void Check(bool bOk, const std::string& strWhat, const std::string& strDetail = {}) {
        (bOk ? nPassed : nFailed) += 1;
        std::printf("%s %s%s%s\n", bOk ? "ok  " : "FAIL", strWhat.c_str(),
                    strDetail.empty() ? "" : ": ", strDetail.c_str());
        std::fflush(stdout);
    }
};

// ---------------------------------------------------------------- the module

class CModule {
  public:
    CModule() = default;
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;
    ~CModule() { Unload(); }

    // Loads the module and looks up the four operations; answers "" or why not.
    std::string Load(const std::string& strPath) {
        Unload();
#ifdef _WIN32
        m_hModule = ::LoadLibraryA(strPath.c_str());
        if (m_hModule == nullptr)
            return "LoadLibraryA failed, error " + std::to_string(::GetLastError());
#else
        m_hModule = ::dlopen(strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_hModule == nullptr) return std::string("dlopen failed: ") + ::dlerror();
#endif
        m_pContents = Find<TwoPathsFn>("bCompileContents");
        m_pCategory = Find<TwoPathsFn>("bCompileCategory");
        m_pBmp = Find<TwoPathsFn>("bConvertBmpToGif");
        m_pShg = Find<ShgFn>("bConvertSHGToGIFMAP");
        if (!m_pContents || !m_pCategory || !m_pBmp || !m_pShg) {
            Unload();
            return "an operation is missing from the export table";
        }
        return {};
    }

    // Unloads the module; answers false when the system reports a failure.
    bool Unload() {
        if (m_hModule == nullptr) return true;
#ifdef _WIN32
        const bool bOk = ::FreeLibrary(m_hModule) != 0;
#else
        const bool bOk = ::dlclose(m_hModule) == 0;
#endif
        m_hModule = nullptr;
        m_pContents = m_pCategory = m_pBmp = nullptr;
        m_pShg = nullptr;
        return bOk;
    }

    bool IsLoaded() const { return m_hModule != nullptr; }
    TwoPathsFn m_pContents = nullptr;
    TwoPathsFn m_pCategory = nullptr;
    TwoPathsFn m_pBmp = nullptr;
    ShgFn m_pShg = nullptr;

  private:
    template <typename Fn>
    Fn Find(const char* pszName) {
#ifdef _WIN32
        // Through a generic function pointer type: no warning about the cast.
        return reinterpret_cast<Fn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_hModule, pszName)));
#else
        return reinterpret_cast<Fn>(::dlsym(m_hModule, pszName));
#endif
    }

#ifdef _WIN32
    HMODULE m_hModule = nullptr;
#else
    void* m_hModule = nullptr;
#endif
};

// ---------------------------------------------------------------- paths and files

// UTF-8 text of the case file as a narrow string of the platform: the ANSI
// code page on Windows (as the host application passes it), UTF-8 elsewhere.
std::string NarrowFromUtf8(const std::string& strUtf8) {
#ifdef _WIN32
    if (strUtf8.empty()) return strUtf8;
    const int nIn = static_cast<int>(strUtf8.size());
    const int nWide =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strUtf8.data(), nIn, nullptr, 0);
    if (nWide <= 0) return strUtf8;
    std::wstring strWide(static_cast<std::size_t>(nWide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), nIn, strWide.data(), nWide);
    const int nAnsi =
        ::WideCharToMultiByte(CP_ACP, 0, strWide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nAnsi <= 0) return strUtf8;
    std::string strAnsi(static_cast<std::size_t>(nAnsi), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, strWide.data(), nWide, strAnsi.data(), nAnsi, nullptr,
                          nullptr);
    return strAnsi;
#else
    return strUtf8;
#endif
}

// A narrow string of the platform as UTF-8, for the program's report.
std::string Utf8FromNarrow(const std::string& strNarrow) {
#ifdef _WIN32
    if (strNarrow.empty()) return strNarrow;
    const int nIn = static_cast<int>(strNarrow.size());
    const int nWide = ::MultiByteToWideChar(CP_ACP, 0, strNarrow.data(), nIn, nullptr, 0);
    if (nWide <= 0) return strNarrow;
    std::wstring strWide(static_cast<std::size_t>(nWide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, strNarrow.data(), nIn, strWide.data(), nWide);
    const int nUtf8 =
        ::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nUtf8 <= 0) return strNarrow;
    std::string strUtf8(static_cast<std::size_t>(nUtf8), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nWide, strUtf8.data(), nUtf8, nullptr,
                          nullptr);
    return strUtf8;
#else
    return strNarrow;
#endif
}

// strBase and strRel joined by the platform's separator; "/" in strRel
// becomes that separator.
std::string JoinPlain(std::string strBase, std::string strRel) {
    if (!strBase.empty() && strBase.back() != kSeparator && strBase.back() != '/') {
        strBase += kSeparator;
    }
    for (char& c : strRel) {
        if (c == '/') c = kSeparator;
    }
    return strBase + strRel;
}

// The same for a relative path written in UTF-8 (a case file's argument).
std::string JoinNative(const std::string& strBase, const std::string& strRelUtf8) {
    return JoinPlain(strBase, NarrowFromUtf8(strRelUtf8));
}

std::optional<std::string> ReadWhole(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return std::nullopt;
    std::string strBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return strBytes;
}

bool FileExists(const std::string& strPath) {
#ifdef _WIN32
    const DWORD dwAttributes = ::GetFileAttributesA(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st {};
    return ::stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

// The files below strFolder, by their path relative to it ("/" separated).
void ListFiles(const std::string& strFolder, const std::string& strRel,
               std::vector<std::string>& files) {
    const std::string strDir = strRel.empty() ? strFolder : JoinPlain(strFolder, strRel);
#ifdef _WIN32
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(JoinPlain(strDir, "*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) return;
    do {
        const std::string strName = data.cFileName;
        if (strName == "." || strName == "..") continue;
        const std::string strChild = strRel.empty() ? strName : strRel + "/" + strName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(strFolder, strChild, files);
        } else {
            files.push_back(strChild);
        }
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
#else
    DIR* pDir = ::opendir(strDir.c_str());
    if (pDir == nullptr) return;
    while (const dirent* pEntry = ::readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") continue;
        const std::string strChild = strRel.empty() ? strName : strRel + "/" + strName;
        struct stat st {};
        if (::stat(JoinPlain(strFolder, strChild).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            ListFiles(strFolder, strChild, files);
        } else {
            files.push_back(strChild);
        }
    }
    ::closedir(pDir);
#endif
}

#ifdef _WIN32
// True when the file can be renamed (and is renamed back): no program holds
// it open without allowing that.
bool CanRename(const std::string& strPath) {
    const std::string strMoved = strPath + ".moved";
    if (!::MoveFileA(strPath.c_str(), strMoved.c_str())) return false;
    ::MoveFileA(strMoved.c_str(), strPath.c_str());
    return true;
}
#endif

// ---------------------------------------------------------------- the cases

struct CRun {
    std::string strModule;
    std::string strData;
    std::string strOut;
    CModule module;
    CTally tally;
};

// An argument of a step: null, or its narrow text.
std::optional<std::string> Argument(const CRun& run, const std::string& strToken) {
    if (strToken == "null") return std::nullopt;
    if (strToken.rfind("data:", 0) == 0) return JoinNative(run.strData, strToken.substr(5));
    if (strToken.rfind("out:", 0) == 0) return JoinNative(run.strOut, strToken.substr(4));
    return NarrowFromUtf8(strToken);
}

const char* CStr(const std::optional<std::string>& arg) { return arg ? arg->c_str() : nullptr; }

void RunStep(CRun& run, const std::string& strLine, std::vector<std::string> words) {
    const std::string strOp = words[0];
    auto need = [&](std::size_t n) {
        if (words.size() == n) return true;
        run.tally.Check(false, strLine, "expected " + std::to_string(n - 1) + " arguments");
        return false;
    };
    if (strOp == "load") {
        if (!need(1)) return;
        const std::string strError = run.module.Load(run.strModule);
        run.tally.Check(strError.empty(), strLine, strError);
        return;
    }
    if (strOp == "unload") {
        if (!need(1)) return;
        run.tally.Check(run.module.Unload(), strLine);
        return;
    }
    if (strOp == "contents" || strOp == "category" || strOp == "bmp" || strOp == "shg") {
        if (!need(strOp == "shg" ? 5 : 4)) return;
        if (!run.module.IsLoaded()) {
            run.tally.Check(false, strLine, "the module is not loaded");
            return;
        }
        const long nExpected = std::strtol(words[1].c_str(), nullptr, 10);
        const auto arg1 = Argument(run, words[2]);
        const auto arg2 = Argument(run, words[3]);
        int32_t nResult;
        if (strOp == "contents") {
            nResult = run.module.m_pContents(CStr(arg1), CStr(arg2));
        } else if (strOp == "category") {
            nResult = run.module.m_pCategory(CStr(arg1), CStr(arg2));
        } else if (strOp == "bmp") {
            nResult = run.module.m_pBmp(CStr(arg1), CStr(arg2));
        } else {
            const auto nKey = static_cast<int32_t>(std::strtol(words[4].c_str(), nullptr, 10));
            nResult = run.module.m_pShg(CStr(arg1), CStr(arg2), nKey);
        }
        run.tally.Check(nResult == nExpected, strLine, "answered " + std::to_string(nResult));
        return;
    }
    if (strOp == "exists" || strOp == "absent") {
        if (!need(2)) return;
        const bool bExists = FileExists(*Argument(run, words[1]));
        run.tally.Check(bExists == (strOp == "exists"), strLine);
        return;
    }
    if (strOp == "size") {
        if (!need(3)) return;
        const auto bytes = ReadWhole(*Argument(run, words[1]));
        const std::string strSize = bytes ? std::to_string(bytes->size()) : "no file";
        run.tally.Check(bytes && strSize == words[2], strLine, "holds " + strSize);
        return;
    }
#ifdef _WIN32
    if (strOp == "locked" || strOp == "unlocked") {
        if (!need(2)) return;
        const bool bRenamable = CanRename(*Argument(run, words[1]));
        run.tally.Check(bRenamable == (strOp == "unlocked"), strLine);
        return;
    }
#endif
    run.tally.Check(false, strLine, "unknown step");
}

void RunCases(CRun& run, const std::string& strCases) {
    std::istringstream lines(strCases);
    std::string strLine;
    while (std::getline(lines, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        const std::size_t nHash = strLine.find('#');
        std::string strStep = strLine.substr(0, nHash);
        std::istringstream fields(strStep);
        std::vector<std::string> words;
        for (std::string strWord; fields >> strWord;) words.push_back(strWord);
        if (words.empty()) continue;
        const std::size_t nColon = words[0].find(':');
        if (nColon != std::string::npos && nColon + 1 == words[0].size()) {
            if (words[0].substr(0, nColon) != kPlatform) continue;
            words.erase(words.begin());
            if (words.empty()) continue;
        }
        std::string strShown;
        for (const auto& strWord : words) strShown += (strShown.empty() ? "" : " ") + strWord;
        RunStep(run, strShown, words);
    }
}

void CompareOutputs(CRun& run, const std::string& strExpected) {
    std::vector<std::string> expected;
    std::vector<std::string> actual;
    ListFiles(strExpected, "", expected);
    ListFiles(run.strOut, "", actual);
    std::map<std::string, int> names;  // 1: expected only, 2: written only, 3: both
    for (const auto& strName : expected) names[strName] |= 1;
    for (const auto& strName : actual) names[strName] |= 2;
    run.tally.Check(!expected.empty(), "the reference run wrote files");
    for (const auto& [strName, nWhere] : names) {
        const std::string strWhat = "output " + Utf8FromNarrow(strName);
        if (nWhere == 1) {
            run.tally.Check(false, strWhat, "not written");
            continue;
        }
        if (nWhere == 2) {
            run.tally.Check(false, strWhat, "written, but not by the reference run");
            continue;
        }
        const auto want = ReadWhole(JoinPlain(strExpected, strName));
        const auto got = ReadWhole(JoinPlain(run.strOut, strName));
        if (!want || !got) {
            run.tally.Check(false, strWhat, "cannot be read");
            continue;
        }
        if (*want == *got) {
            run.tally.Check(true, strWhat + " is identical to the reference",
                            std::to_string(got->size()) + " bytes");
            continue;
        }
        std::size_t nAt = 0;
        while (nAt < want->size() && nAt < got->size() && (*want)[nAt] == (*got)[nAt]) ++nAt;
        run.tally.Check(false, strWhat,
                        "differs from the reference at byte " + std::to_string(nAt) + " (" +
                            std::to_string(got->size()) + " bytes, reference " +
                            std::to_string(want->size()) + ")");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: vd_host MODULE CASES DATA OUT [EXPECTED]\n");
        return 2;
    }
    CRun run;
    run.strModule = argv[1];
    run.strData = argv[3];
    run.strOut = argv[4];
    const auto cases = ReadWhole(argv[2]);
    if (!cases) {
        std::fprintf(stderr, "vd_host: cannot read %s\n", argv[2]);
        return 2;
    }
    RunCases(run, *cases);
    if (!run.module.Unload()) run.tally.Check(false, "unloading at the end");
    if (argc == 6) CompareOutputs(run, argv[5]);
    std::printf("%d passed, %d failed\n", run.tally.nPassed, run.tally.nFailed);
    return run.tally.nFailed == 0 ? 0 : 1;
}
