// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli merge PAGE [--image N] < TEXT: prints the page with its
// image tag and map replaced by those of TEXT, as the editor saves markup
// back into the page it came from. The page file is not changed.

#include <string>

#include "command.h"
#include "page_args.h"

namespace {

int Run(const cli::Args& args) {
    cli::PageArgs page;
    PageFile file;
    if (const int status = cli::OpenPage(args, "merge", &page, &file); status != cli::kOk)
        return status;
    std::string merged;
    const ze::Status status =
        MergeMarkup(file.bytes, file.page, page.image - 1, cli::ReadAllStdin(), &merged);
    if (status != ze::StatusCode::kOk)
        return cli::Fail(ze::StatusText(status, ze::TextLanguage::kEnglish));
    cli::WriteOut(merged);
    return cli::kOk;
}

const cli::Registration registration({"merge", "PAGE [--image N] < TEXT", Run});

}  // namespace
