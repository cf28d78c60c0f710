#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Destination.h"
#include "gif/BmpConversion.h"

namespace vd::cli {

namespace {

// Runs of more files than this show a progress line on a terminal.
constexpr std::size_t kProgressAbove = 4;
constexpr long long kMaxJobs = 256;

struct SJob {
    std::string strBitmap;
    std::string strGif;
    std::string strRefusal;  // set when the job must not run
};

// What the workers share: the next job to take, and the output, written one
// line at a time.
class CRun {
  public:
    CRun(std::vector<SJob>& jobs, std::string strPrefix, bool bQuiet)
        : m_jobs(jobs),
          m_strPrefix(std::move(strPrefix)),
          m_bQuiet(bQuiet),
          m_bProgress(jobs.size() > kProgressAbove && isatty(STDERR_FILENO) == 1) {}

    void Work() {
        for (;;) {
            const std::size_t nJob = m_nNext.fetch_add(1);
            if (nJob >= m_jobs.size()) return;
            const SJob& job = m_jobs[nJob];
            std::string strReason = job.strRefusal;
            // The conversion keeps all its state on its own call, so several
            // run at once.
            const bool bWritten = strReason.empty() &&
                                  vd::bConvertBmpToGif(job.strBitmap, m_strPrefix, &strReason) == 1;
            Report(job, bWritten, strReason);
        }
    }

    std::size_t Failed() const { return m_nFailed; }

    void EndProgress() {
        if (m_bProgress) std::fprintf(stderr, "\r\033[K");
    }

  private:
    void Report(const SJob& job, bool bWritten, const std::string& strReason) {
        const std::lock_guard<std::mutex> lock(m_output);
        ++m_nDone;
        if (m_bProgress) std::fprintf(stderr, "\r\033[K");
        if (bWritten) {
            if (!m_bQuiet) std::printf("%s\n", RecordField(job.strGif).c_str());
            std::fflush(stdout);
        } else {
            ++m_nFailed;
            Fail("bmp2gif: " + ReasonNaming("convert", job.strBitmap, strReason));
        }
        if (m_bProgress) {
            std::fprintf(stderr, "bmp2gif: %zu of %zu bitmaps converted", m_nDone, m_jobs.size());
        }
        std::fflush(stderr);
    }

    std::vector<SJob>& m_jobs;
    const std::string m_strPrefix;
    const bool m_bQuiet;
    const bool m_bProgress;
    std::atomic<std::size_t> m_nNext{0};
    std::mutex m_output;
    std::size_t m_nDone = 0;
    std::size_t m_nFailed = 0;
};

long long DefaultJobs() {
    const unsigned nCores = std::thread::hardware_concurrency();
    return nCores == 0 ? 1 : static_cast<long long>(nCores);
}

int Run(const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(args, {{"-q", false, "--quiet"}, {"-j", true, "--jobs"}}, parsed,
                        &strProblem)) {
        return UsageError(kBmp2GifCommand, strProblem);
    }
    if (parsed.operands.size() < 2) {
        return UsageError(kBmp2GifCommand, parsed.operands.empty() ? "BITMAP and DEST are needed"
                                                                   : "DEST is needed");
    }
    long long nJobs = DefaultJobs();
    if (parsed.Has("-j") && !ParseNumber(parsed.Value("-j"), 1, kMaxJobs, nJobs)) {
        return UsageError(kBmp2GifCommand, "-j takes a number of 1 to " + std::to_string(kMaxJobs) +
                                               ", not '" + parsed.Value("-j") + "'");
    }
    const std::string strPrefix = DestinationPrefix(parsed.operands.back());
    std::vector<SJob> jobs;
    std::map<std::string, std::string> sources;  // by GIF path
    for (std::size_t i = 0; i + 1 < parsed.operands.size(); ++i) {
        SJob job;
        job.strBitmap = parsed.operands[i];
        job.strGif = GifNameForBitmap(job.strBitmap, strPrefix);
        // Two bitmaps of one name would write one GIF, at once when run in
        // parallel: the later one is refused.
        const auto [it, bNew] = sources.emplace(job.strGif, job.strBitmap);
        if (!bNew) {
            job.strRefusal = "cannot convert " + QuotePath(job.strBitmap) + ": " +
                             QuotePath(job.strGif) + " is written from " + QuotePath(it->second);
        }
        jobs.push_back(std::move(job));
    }

    CRun run(jobs, strPrefix, parsed.Has("-q"));
    const std::size_t nThreads =
        std::min<std::size_t>(static_cast<std::size_t>(nJobs), jobs.size());
    {
        std::vector<std::jthread> workers;
        for (std::size_t i = 1; i < nThreads; ++i) workers.emplace_back([&run] { run.Work(); });
        run.Work();
    }
    run.EndProgress();
    return run.Failed() == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace

const CCommand kBmp2GifCommand = {
    "bmp2gif",
    "convert BMP/DIB bitmaps into GIF pictures",
    "vellumdesk bmp2gif [-q] [-j N] BITMAP... DEST",
    "Converts each BITMAP into DEST + its name with the extension gif; the last\n"
    "argument is the destination, as with cp.\n"
    "\n"
    "  BITMAP  a bitmap file whose name ends in .BMP, .bmp, .DIB or .dib, of\n"
    "          1, 4 or 8 bits per pixel with a 40-byte information header\n"
    "          (plain or run-length rows).\n"
    "  DEST    the destination folder (out/ or an existing folder out give\n"
    "          out/NAME.gif); anything else is a prefix joined unchanged in front\n"
    "          of the GIF's name (out/pre- gives out/pre-NAME.gif).\n"
    "  -j, --jobs=N  convert N bitmaps at a time (default: the number of cores).\n"
    "  -q, --quiet   print nothing on success.\n"
    "\n"
    "Prints the path of each GIF written, one a line, as they are done; on a\n"
    "terminal a progress line shows how far a run of many bitmaps is. The GIF\n"
    "keeps the bitmap's colour table and pixel indices. A bitmap that cannot be\n"
    "converted (24 bits per pixel, for example) gives an error line; the others\n"
    "are still converted. Two bitmaps of the same name\n"
    "would write one GIF: the later one is skipped with an error.\n"
    "\n"
    "Exit status: 0 when every bitmap was converted, 1 when any failed, 2 on a\n"
    "usage error.\n",
    Run,
};

}  // namespace vd::cli
