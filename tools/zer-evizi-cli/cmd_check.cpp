// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli check [--format text|json] [--picture FILE] PAGE|-: every
// problem of every image map of the page (or of the pane's text on standard
// input), sorted by line. Exit 0 when none is an error, 1 when one is, 2 on
// a usage error or an input that cannot be read.

#include <string>

#include "command.h"
#include "map_input.h"
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
    cli::WriteOut(format == "json" ? FormatFindingsJson(findings, input.name)
                                   : FormatFindingsText(findings, input.name));
    for (const MapFinding& f : findings)
        if (f.severity == CheckSeverity::kError) return cli::kFailure;
    return cli::kOk;
}

const cli::Registration registration({kName, "[--format text|json] [--picture FILE] PAGE|-", Run});

}  // namespace
