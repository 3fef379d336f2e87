// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli ppm [--full-colour] PICTURE: the picture as a binary PPM (P6) on stdout,
// rows top to bottom, each pixel the colour the editor reads for it.

#include <optional>
#include <string>

#include "command.h"
#include "image/image.h"

namespace {

int Run(const cli::Args& args) {
    const std::optional<cli::PictureArgs> picture = cli::ParsePictureArgs(args);
    if (!picture) return cli::UsageOf("ppm");
    CImage image;
    if (const int status = cli::LoadPicture(picture->path, picture->fullColour, &image);
        status != cli::kOk)
        return status;
    const int width = image.GetWidth(), height = image.GetHeight();

    std::string out = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const size_t header = out.size();
    out.resize(header + static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    char* p = out.data() + header;
    // y = 0 is the bottom row of the picture.
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x, p += 3) {
            uint8_t r = 0, g = 0, b = 0;
            image.GetPixelRGB(x, y, &r, &g, &b);
            p[0] = static_cast<char>(r);
            p[1] = static_cast<char>(g);
            p[2] = static_cast<char>(b);
        }
    }
    cli::WriteOut(out);
    return cli::kOk;
}

const cli::Registration registration({"ppm", "[--full-colour] PICTURE", Run});

}  // namespace
