// zer-evizi-cli info [--full-colour] PICTURE: the picture's size, depth, colour type,
// palette size and transparent index, as the editor loads it.

#include <optional>
#include <string>

#include "command.h"
#include "doc/picture_type.h"
#include "image/image.h"

namespace {

int Run(const cli::Args& args) {
    const std::optional<cli::PictureArgs> picture = cli::ParsePictureArgs(args);
    if (!picture) return cli::UsageOf("info");
    const std::string& path = picture->path;
    const int type = PictureTypeFromPath(path);
    if (type < 0) return cli::Fail("unsupported format: " + path);
    CImage image;
    image.fullColour = picture->fullColour;
    image.Load(path, type);
    // Loaded means a width and a height above 0, as the document decides.
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return cli::FailRead(path, image.GetReadFailure());
    const CImagePalette* palette = image.GetPalette();
    const CImageImpl* impl = image.GetImpl();
    cli::WriteOut(std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()) +
                  " depth=" + std::to_string(image.GetDepth()) +
                  " colortype=" + std::to_string(image.GetColorType()) +
                  " palette=" + std::to_string(palette ? palette->GetEntryCount() : 0) +
                  " transparent=" + std::to_string(impl ? impl->transparentIndex : -1) + "\n");
    return cli::kOk;
}

const cli::Registration registration({"info", "[--full-colour] PICTURE", Run});

}  // namespace
