// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs zer-evizi-cli as a separate process, feeding `input` on stdin; with a
// `home`, the tool's settings live in that folder only.

#include <string>
#include <vector>

#include "support/test_util.h"

namespace clitest {

using Args = std::vector<std::string>;

inline testutil::ProcessResult Cli(Args args, const std::string& input = {},
                                   const testutil::TempDir* home = nullptr) {
    args.insert(args.begin(), ZE_CLI);
    if (home)
        args.insert(args.begin(), {"/usr/bin/env", "XDG_CONFIG_HOME=" + home->File("config"),
                                   "HOME=" + home->path().string()});
    return testutil::RunProcess(args, input);
}

}  // namespace clitest
