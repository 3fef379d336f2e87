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
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "desktop_commands.h"
#include "map_input.h"
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

// Checks one page, its findings (less the rules of --disable) handed to
// `sink` as they are found; false when the page could not be read (said on
// stderr).
bool CheckPage(const CheckArgs& args, cli::CPictureCache& cache, const std::string& file,
               const std::function<void(const MapFinding&)>& sink) {
    cli::MapInput input;
    input.name = file;
    input.picture = args.picture;
    input.root = args.root;
    if (cli::ReadMapInput(&input) != cli::kOk) return false;
    CheckPageMaps(input.text, cli::LookUpPictures(input, &cache), [&](MapFinding&& f) {
        if (std::find(args.disabled.begin(), args.disabled.end(), f.rule) == args.disabled.end())
            sink(f);
    });
    return true;
}

// The findings of a page checked ahead of the one being written, kept in a
// temporary file instead of memory until its turn.
void Spool(std::FILE* file, const MapFinding& f) {
    const int64_t fields[] = {int64_t(f.offset), f.line, f.column,        int64_t(f.severity),
                              int64_t(f.rule),   f.area, int64_t(f.text), int64_t(f.args.size())};
    std::fwrite(fields, sizeof fields, 1, file);
    for (const std::string& arg : f.args) {
        const uint64_t size = arg.size();
        std::fwrite(&size, sizeof size, 1, file);
        std::fwrite(arg.data(), 1, arg.size(), file);
    }
}

bool Unspool(std::FILE* file, MapFinding* f) {
    int64_t fields[8];
    if (std::fread(fields, sizeof fields, 1, file) != 1) return false;
    f->offset = size_t(fields[0]);
    f->line = int(fields[1]);
    f->column = int(fields[2]);
    f->severity = CheckSeverity(fields[3]);
    f->rule = CheckRule(fields[4]);
    f->area = int(fields[5]);
    f->text = CheckText(fields[6]);
    f->args.resize(size_t(fields[7]));
    for (std::string& arg : f->args) {
        uint64_t size = 0;
        if (std::fread(&size, sizeof size, 1, file) != 1) return false;
        arg.resize(size);
        if (size > 0 && std::fread(arg.data(), size, 1, file) != 1) return false;
    }
    return true;
}

// The report on standard output, each finding written as it is found (a
// page checked ahead by another thread: when its turn comes): neither a
// page nor a site is ever held whole.
class CReport {
public:
    CReport(const std::string& format)
        : m_writer(
              format == "json"    ? FindingFormat::kJson
              : format == "sarif" ? FindingFormat::kSarif
                                  : FindingFormat::kText,
              "",
              [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); },
              ZE_VERSION),
          m_json(format != "text") {}

    void SetFile(const std::string& file) { m_writer.SetFile(file); }
    void Write(const MapFinding& f) {
        m_writer.Write(f);
        m_errors = m_errors || f.severity == CheckSeverity::kError;
    }
    void EndPage() {
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
    CFindingWriter m_writer;
    bool m_json;
    bool m_errors = false;
};

// A page as the threads share it: who checks it, where its findings wait.
struct SitePage {
    std::atomic<bool> claimed{false};
    bool read = false;
    bool done = false;
    std::FILE* spool = nullptr;
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
    std::vector<SitePage> pages(files.size());
    std::mutex lock;
    std::condition_variable ready;
    cli::CPictureCache cache;
    std::atomic<size_t> next{0};
    // Helpers check the pages ahead into temporary files; a page for which
    // no temporary file could be made is left to the writer.
    auto help = [&] {
        for (size_t k = next++; k < pages.size(); k = next++) {
            if (pages[k].claimed.exchange(true)) continue;
            std::FILE* spool = std::tmpfile();
            const bool read = spool && CheckPage(args, cache, files[k],
                                                 [spool](const MapFinding& f) { Spool(spool, f); });
            const std::lock_guard<std::mutex> hold(lock);
            pages[k].read = read;
            pages[k].spool = spool;
            pages[k].done = true;
            ready.notify_all();
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < args.jobs && size_t(t) < files.size(); ++t) helpers.emplace_back(help);

    CReport report(args.format);
    bool unread = false;
    auto checkHere = [&](size_t k) {
        unread |= !CheckPage(args, cache, files[k], [&](const MapFinding& f) { report.Write(f); });
    };
    for (size_t k = 0; k < pages.size(); ++k) {
        report.SetFile(files[k]);
        if (!pages[k].claimed.exchange(true)) {
            checkHere(k);
        } else {
            std::unique_lock<std::mutex> hold(lock);
            ready.wait(hold, [&] { return pages[k].done; });
            hold.unlock();
            if (std::FILE* spool = pages[k].spool) {
                std::rewind(spool);
                for (MapFinding f; Unspool(spool, &f);) report.Write(f);
                std::fclose(spool);
                unread |= !pages[k].read;
            } else {
                checkHere(k);
            }
        }
        report.EndPage();
    }
    for (std::thread& helper : helpers) helper.join();
    const bool errors = report.Finish();
    if (unread) return cli::kUsageError;
    return errors ? cli::kFailure : cli::kOk;
}

const cli::Registration registration({kName, cli::DesktopCommandUsage(kName), Run});

}  // namespace
