// SPDX-License-Identifier: GPL-3.0-or-later
// A site of pages with maps checked by `zer-evizi-cli check --jobs 2`, against html-validate
// (Node) on the same pages in the same run. bench/site_check.sh makes the site, installs the
// peer and runs this with ZE_SITE (the folder), ZE_CLI and ZE_HTML_VALIDATE (its script).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Runs a shell command, its output thrown away; a run that cannot start stops the benchmark.
void RunCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        const int status = std::system((command + " >/dev/null 2>&1").c_str());
        if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void BM_ZerEviziCheckJobs2(benchmark::State& state) {
    if (Env("ZE_CLI").empty() || Env("ZE_SITE").empty()) {
        state.SkipWithError("run through bench/site_check.sh");
        return;
    }
    RunCommand(state, Quoted(Env("ZE_CLI")) + " check --jobs 2 --root " + Quoted(Env("ZE_SITE")) +
                          " " + Quoted(Env("ZE_SITE")));
}

void BM_HtmlValidate(benchmark::State& state) {
    if (Env("ZE_HTML_VALIDATE").empty() || Env("ZE_SITE").empty()) {
        state.SkipWithError("run through bench/site_check.sh");
        return;
    }
    RunCommand(state, "cd " + Quoted(Env("ZE_SITE")) + " && node " +
                          Quoted(Env("ZE_HTML_VALIDATE")) + " .");
}

}  // namespace

BENCHMARK(BM_ZerEviziCheckJobs2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_HtmlValidate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
