// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli check [--format text|json] [--picture FILE] PAGE|-: every
// problem of every image map of the page (or of the pane's text on standard
// input), sorted by line. Exit 0 when none is an error, 1 when one is, 2 on
// a usage error or an input that cannot be read.

#include <cstdio>
#include <string>

#include "command.h"
#include "map_input.h"
#include "markup/finding_writer.h"
#include "markup/map_check.h"

namespace {

constexpr const char* kName = "check";

int Run(const cli::Args& args) {
    cli::MapInput input;
    std::string format = "text";
    bool haveFormat = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--format" && !haveFormat && i + 1 < args.size()) {
            format = args[++i];
            haveFormat = true;
            if (format != "text" && format != "json") return cli::UsageOf(kName);
        } else if (!cli::TakeMapArg(args, &i, &input)) {
            return cli::UsageOf(kName);
        }
    }
    if (input.name.empty()) return cli::UsageOf(kName);
    if (const int status = cli::ReadMapInput(&input); status != cli::kOk) return status;
    std::vector<PictureSize> pictures;
    if (const int status = cli::ReadPictureSizes(input, &pictures); status != cli::kOk)
        return status;
    const std::vector<MapFinding> findings = CheckMaps(input.text, pictures);
    const bool json = format == "json";
    CFindingWriter writer(
        json ? FindingFormat::kJson : FindingFormat::kText, input.name,
        [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); });
    bool error = false;
    for (const MapFinding& f : findings) {
        writer.Write(f);
        error = error || f.severity == CheckSeverity::kError;
    }
    writer.Finish();
    std::fflush(stdout);
    if (writer.ChangedBytes())
        std::fprintf(stderr,
                     "zer-evizi-cli: the page holds bytes that are not UTF-8; the report shows "
                     "them as %s\n",
                     json ? "U+FFFD" : "\\xNN");
    return error ? cli::kFailure : cli::kOk;
}

const cli::Registration registration({kName, "[--format text|json] [--picture FILE] PAGE|-", Run});

}  // namespace
