// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli readout PICTURE X Y [--zoom 1|2|PERCENT%] [--scroll X,Y] [--full-colour]:
// the status text the map view shows with the mouse at client point X,Y (with
// 表示 > フルカラー on, for --full-colour).

#include <string>
#include <string_view>

#include "command.h"
#include "document/readout.h"
#include "image/image.h"
#include "image/zoom_scale.h"

namespace {

// Reads a whole decimal integer into *value.
bool ParseInt(std::string_view text, int* value) {
    const std::optional<int> parsed = cli::ParseInt(text);
    if (parsed) *value = *parsed;
    return parsed.has_value();
}

int Run(const cli::Args& args) {
    std::string path;
    int coords[2] = {0, 0};
    int given = 0;
    ZoomScale zoom;
    int scrollX = 0, scrollY = 0;
    bool fullColour = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--full-colour" && !fullColour) {
            fullColour = true;
        } else if (a == "--zoom" && i + 1 < args.size()) {
            const std::optional<ZoomScale> parsed = ZoomScale::Parse(args[++i]);
            if (!parsed) return cli::UsageOf("readout");
            zoom = *parsed;
        } else if (a == "--scroll" && i + 1 < args.size()) {
            const std::string& v = args[++i];
            const size_t comma = v.find(',');
            if (comma == std::string::npos ||
                !ParseInt(std::string_view(v).substr(0, comma), &scrollX) ||
                !ParseInt(std::string_view(v).substr(comma + 1), &scrollY) || scrollX < 0 ||
                scrollY < 0)
                return cli::UsageOf("readout");
        } else if (path.empty() && given == 0 && !a.starts_with("--")) {
            path = a;
        } else if (!path.empty() && given < 2 && ParseInt(a, &coords[given])) {
            ++given;
        } else {
            return cli::UsageOf("readout");
        }
    }
    if (path.empty() || given != 2) return cli::UsageOf("readout");

    CImage image;
    if (const int status = cli::LoadPicture(path, fullColour, &image); status != cli::kOk)
        return status;
    cli::WriteOut(FormatReadout(&image, coords[0], coords[1], scrollX, scrollY, zoom) + "\n");
    return cli::kOk;
}

const cli::Registration registration(
    {"readout", "PICTURE X Y [--zoom 1|2|PERCENT%] [--scroll X,Y] [--full-colour]", Run});

}  // namespace
