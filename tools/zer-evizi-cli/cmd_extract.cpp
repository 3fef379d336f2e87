// zer-evizi-cli extract PAGE [--image N]: prints the pane text that opening
// the page in the editor gives: the image's tag and its map.

#include <string>

#include "command.h"
#include "markup/page_file.h"
#include "page_args.h"

namespace {

int Run(const cli::Args& args) {
    cli::PageArgs page;
    if (!cli::ParsePageArgs(args, &page)) return cli::UsageOf("extract");
    const PageFile file = LoadPageFile(page.path);
    if (!file.ok) return cli::Fail("cannot open " + page.path + ": " + file.error);
    if (page.image > file.page.maps.size())
        return cli::Fail(page.path + " has " + std::to_string(file.page.maps.size()) +
                         " images with maps");
    cli::WriteOut(ExtractMarkup(file.bytes, file.page, page.image - 1));
    return cli::kOk;
}

const cli::Registration registration({"extract", "PAGE [--image N]", Run});

}  // namespace
