// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli info [--full-colour] PICTURE: the picture's size, depth, colour type,
// palette size and transparent index, as the editor loads it.

#include <optional>
#include <string>

#include "command.h"
#include "image/image.h"

namespace {

int Run(const cli::Args& args) {
    const std::optional<cli::PictureArgs> picture = cli::ParsePictureArgs(args);
    if (!picture) return cli::UsageOf("info");
    CImage image;
    if (const int status = cli::LoadPicture(picture->path, picture->fullColour, &image);
        status != cli::kOk)
        return status;
    const CImagePalette* palette = image.GetPalette();
    cli::WriteOut(std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()) +
                  " depth=" + std::to_string(image.GetDepth()) +
                  " colortype=" + std::to_string(image.GetColorType()) + " palette=" +
                  std::to_string(palette ? palette->GetEntryCount() : 0) + " transparent=" +
                  std::to_string(image.GetImpl() ? image.Pixels().transparentIndex : -1) + "\n");
    return cli::kOk;
}

const cli::Registration registration({"info", "[--full-colour] PICTURE", Run});

}  // namespace
