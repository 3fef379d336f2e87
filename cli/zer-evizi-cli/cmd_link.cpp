// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli link [--windows] BASE PATH: the link text for PATH seen from
// the base folder BASE (empty: the file name alone).

#include "command.h"
#include "markup/link_path.h"

namespace {

int RunLink(const cli::Args& args) {
    size_t first = 0;
    PathStyle style = PathStyle::kNative;
    if (!args.empty() && args[0] == "--windows") {
        style = PathStyle::kWindows;
        first = 1;
    }
    if (args.size() - first != 2) return cli::UsageOf("link");
    cli::WriteOut(LinkTextForPath(args[first], args[first + 1], style) + "\n");
    return cli::kOk;
}

const cli::Registration kLink({"link", "[--windows] BASE PATH", RunLink});

}  // namespace
