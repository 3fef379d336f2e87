// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli export --svg|--scaling-map [--image N] [--picture FILE]
// [--root DIR] PAGE|-: an image with a map of the page (or of the pane's
// text on standard input; the first unless --image says which) in a form
// that a browser scales with the picture.

#include <string>

#include "command.h"
#include "desktop_commands.h"
#include "map_input.h"
#include "markup/responsive_map.h"

namespace {

constexpr const char* kName = "export";

int Run(const cli::Args& args) {
    cli::MapInput input;
    int form = -1;
    int image = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--svg" || arg == "--scaling-map") && form < 0) {
            form = arg == "--svg" ? int(ResponsiveForm::kSvg) : int(ResponsiveForm::kScalingMap);
        } else if (arg == "--image" && image == 0 && i + 1 < args.size()) {
            image = cli::ParseInt(args[++i]).value_or(-1);
            if (image < 1) return cli::UsageOf(kName);
        } else if (!cli::TakeMapArg(args, &i, &input)) {
            return cli::UsageOf(kName);
        }
    }
    if (input.name.empty() || form < 0) return cli::UsageOf(kName);
    if (const int status = cli::ReadMapInput(&input); status != cli::kOk) return status;
    const size_t index = image > 0 ? size_t(image - 1) : 0;
    ImageMapSpan span;
    if (!FindImageMap(input.text, index, &span)) {
        if (index == 0) return cli::Fail(input.name + " has no image with a map");
        return cli::Fail(input.name + " has no image with a map numbered " + std::to_string(image));
    }
    // The picture of the image exported, and only that one.
    const std::vector<MapImage> images = ListMapImages(input.text);
    PictureLookup picture;
    for (size_t i = 0; i < images.size(); ++i) {
        if (images[i].offset != span.image) continue;
        if (!input.picture.empty())
            picture = cli::LookUpPictureFile(input.picture, nullptr);
        else if (images[i].source.find_first_not_of(" \t\r\n\f") == std::string::npos)
            picture.missing = "is not named: the image has no src";
        else
            picture = cli::LookUpPicture(input.name, images[i].source, input.root, nullptr);
        if (!picture.missing.empty()) {
            cli::Fail("the picture of the image at line " + std::to_string(images[i].line) + " " +
                      picture.missing + "; give it with --picture");
            return cli::kUsageError;
        }
    }
    std::string out;
    if (!MakeResponsiveMarkup(input.text, picture.size, static_cast<ResponsiveForm>(form), &out,
                              nullptr, index))
        return cli::Fail("the picture's size is not known: give it with --picture");
    cli::WriteOut(out);
    return cli::kOk;
}

const cli::Registration registration({kName, cli::DesktopCommandUsage(kName), Run});

}  // namespace
