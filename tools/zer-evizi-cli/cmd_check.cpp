// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli check [--root DIR] [--format text|json|sarif] [--disable
// RULE,...] [--jobs N] [--include GLOB] [--picture FILE] PATH...: every
// problem of every image map of the pages (a folder: its pages; "-": the
// pane's text on standard input), sorted by line, page after page. Exit 0
// when no finding is an error, 1 when one is, 2 on a usage error or a page
// that cannot be read (the other pages are still checked).

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "map_input.h"
#include "markup/check_report.h"
#include "markup/finding_writer.h"
#include "site_pages.h"

namespace {

constexpr const char* kName = "check";
constexpr int kMaxJobs = 64;

struct CheckArgs {
    std::vector<std::string> paths;
    std::vector<std::string> globs;
    std::vector<CheckRule> disabled;
    std::string format;
    std::string picture;
    std::string root;
    int jobs = 0;
};

// Takes args[*i] and its value when it is one of the options; false when it
// is none of them or a value is wrong (then *bad is set).
bool TakeOption(const cli::Args& args, size_t* i, CheckArgs* out, bool* bad) {
    const std::string& arg = args[*i];
    if (*i + 1 >= args.size() || arg.size() < 3 || arg[0] != '-') return false;
    const std::string& value = args[*i + 1];
    if (arg == "--format" && out->format.empty()) {
        out->format = value;
        *bad = value != "text" && value != "json" && value != "sarif";
    } else if (arg == "--disable") {
        std::string unknown;
        *bad = !ParseRuleList(value, &out->disabled, &unknown);
        if (*bad) cli::Fail("no rule is called \"" + unknown + "\"");
    } else if (arg == "--jobs" && out->jobs == 0) {
        const std::optional<int> jobs = cli::ParseInt(value);
        *bad = !jobs || *jobs < 1 || *jobs > kMaxJobs;
        out->jobs = jobs.value_or(0);
    } else if (arg == "--include" && !value.empty()) {
        out->globs.push_back(value);
    } else if ((arg == "--picture" || arg == "--root") && !value.empty()) {
        std::string& field = arg == "--picture" ? out->picture : out->root;
        *bad = !field.empty();
        field = value;
    } else {
        return false;
    }
    ++*i;
    return true;
}

bool ParseCheckArgs(const cli::Args& args, CheckArgs* out) {
    for (size_t i = 0; i < args.size(); ++i) {
        bool bad = false;
        if (TakeOption(args, &i, out, &bad)) {
            if (bad) return false;
        } else if (!args[i].empty() && (args[i] == "-" || args[i][0] != '-')) {
            if (args[i] == "-" && std::count(out->paths.begin(), out->paths.end(), "-"))
                return false;
            out->paths.push_back(args[i]);
        } else {
            return false;
        }
    }
    if (out->format.empty()) out->format = "text";
    if (out->jobs == 0) out->jobs = 1;
    return !out->paths.empty();
}

// One page's findings; false when the page could not be read (said on stderr).
bool CheckPage(const CheckArgs& args, cli::CPictureCache& cache, PageFindings* page) {
    cli::MapInput input;
    input.name = page->file;
    input.picture = args.picture;
    input.root = args.root;
    if (cli::ReadMapInput(&input) != cli::kOk) return false;
    page->findings = CheckPageMaps(input.text, cli::LookUpPictures(input, &cache));
    DropRules(page->findings, args.disabled);
    return true;
}

// The text and JSON reports on standard output, a page's findings written
// as soon as it and every page before it are checked, then let go: a site
// of many pages is never held whole.
class CReport {
public:
    explicit CReport(bool json)
        : m_json(json),
          m_writer(
              json ? FindingFormat::kJson : FindingFormat::kText, "",
              [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); }) {}

    void Write(PageFindings& page) {
        m_writer.SetFile(page.file);
        for (const MapFinding& f : page.findings) {
            m_writer.Write(f);
            m_errors = m_errors || f.severity == CheckSeverity::kError;
        }
        std::vector<MapFinding>().swap(page.findings);
        m_writer.Flush();
        std::fflush(stdout);
    }
    // Closes the report; true when a finding was an error.
    bool Finish() {
        m_writer.Finish();
        std::fflush(stdout);
        if (m_writer.ChangedBytes())
            std::fprintf(stderr,
                         "zer-evizi-cli: a page holds bytes that are not UTF-8; the report shows "
                         "them as %s\n",
                         m_json ? "U+FFFD" : "\\xNN");
        return m_errors;
    }

private:
    bool m_json;
    CFindingWriter m_writer;
    bool m_errors = false;
};

int Run(const cli::Args& rawArgs) {
    CheckArgs args;
    if (!ParseCheckArgs(rawArgs, &args)) return cli::UsageOf(kName);
    std::vector<std::string> files;
    std::string missing;
    if (!cli::ListSitePages(args.paths, args.globs, &files, &missing)) {
        cli::Fail("cannot open " + missing + ": no such file or folder");
        return cli::kUsageError;
    }
    std::vector<PageFindings> pages(files.size());
    std::vector<char> read(files.size(), 0);
    std::vector<char> done(files.size(), 0);
    std::mutex lock;
    std::condition_variable ready;
    cli::CPictureCache cache;
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t k = next++; k < pages.size(); k = next++) {
            pages[k].file = files[k];
            read[k] = CheckPage(args, cache, &pages[k]);
            const std::lock_guard<std::mutex> hold(lock);
            done[k] = 1;
            ready.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < args.jobs && size_t(t) < files.size(); ++t) threads.emplace_back(work);

    bool errors = false;
    if (args.format == "sarif") {
        // One document naming every rule before its results: written whole.
        for (std::thread& thread : threads) thread.join();
        cli::WriteOut(FormatReportSarif(pages, ZE_VERSION));
        for (const PageFindings& page : pages)
            for (const MapFinding& f : page.findings)
                errors = errors || f.severity == CheckSeverity::kError;
    } else {
        CReport report(args.format == "json");
        for (size_t k = 0; k < pages.size(); ++k) {
            std::unique_lock<std::mutex> hold(lock);
            ready.wait(hold, [&] { return done[k] != 0; });
            hold.unlock();
            report.Write(pages[k]);
        }
        for (std::thread& thread : threads) thread.join();
        errors = report.Finish();
    }
    if (std::count(read.begin(), read.end(), 0) > 0) return cli::kUsageError;
    return errors ? cli::kFailure : cli::kOk;
}

const cli::Registration registration(
    {kName,
     "[--root DIR] [--format text|json|sarif] [--disable RULE,...] [--jobs N] "
     "[--include GLOB] [--picture FILE] PATH...",
     Run});

}  // namespace
