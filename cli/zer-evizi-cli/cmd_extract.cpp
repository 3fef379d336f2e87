// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli extract PAGE [--image N]: prints the pane text that opening
// the page in the editor gives: the image's tag and its map.

#include <string>

#include "command.h"
#include "page_args.h"

namespace {

int Run(const cli::Args& args) {
    cli::PageArgs page;
    PageFile file;
    if (const int status = cli::OpenPage(args, "extract", &page, &file); status != cli::kOk)
        return status;
    cli::WriteOut(ExtractMarkup(file.bytes, file.page, page.image - 1));
    return cli::kOk;
}

const cli::Registration registration({"extract", "PAGE [--image N]", Run});

}  // namespace
