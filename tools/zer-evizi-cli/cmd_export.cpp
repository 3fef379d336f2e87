// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli export --svg|--scaling-map [--picture FILE] PAGE|-: the
// first image with a map of the page (or of the pane's text on standard
// input) in a form that a browser scales with the picture.

#include <string>

#include "command.h"
#include "map_input.h"
#include "markup/responsive_map.h"

namespace {

constexpr const char* kName = "export";

int Run(const cli::Args& args) {
    cli::MapInput input;
    int form = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--svg" || arg == "--scaling-map") && form < 0) {
            form = arg == "--svg" ? int(ResponsiveForm::kSvg) : int(ResponsiveForm::kScalingMap);
        } else if (!cli::TakeMapArg(args, &i, &input)) {
            return cli::UsageOf(kName);
        }
    }
    if (input.name.empty() || form < 0) return cli::UsageOf(kName);
    if (const int status = cli::ReadMapInput(&input); status != cli::kOk) return status;
    ImageMapSpan span;
    if (!FindFirstImageMap(input.text, &span))
        return cli::Fail(input.name + " has no image with a map");
    std::vector<PictureSize> pictures;
    if (const int status = cli::ReadPictureSizes(input, &pictures); status != cli::kOk)
        return status;
    // The picture of the image exported: the first image with a map found.
    PictureSize picture;
    const std::vector<MapImage> images = ListMapImages(input.text);
    for (size_t i = 0; i < images.size() && i < pictures.size(); ++i)
        if (images[i].offset == span.image) picture = pictures[i];
    std::string out;
    if (!MakeResponsiveMarkup(input.text, picture, static_cast<ResponsiveForm>(form), &out))
        return cli::Fail("the picture's size is not known: give it with --picture");
    cli::WriteOut(out);
    return cli::kOk;
}

const cli::Registration registration({kName, "--svg|--scaling-map [--picture FILE] PAGE|-", Run});

}  // namespace
