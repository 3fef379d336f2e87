// zer-evizi-cli info PICTURE: the picture's size, depth, colour type,
// palette size and transparent index, as the editor loads it.

#include <string>

#include "command.h"
#include "doc/picture_type.h"
#include "image/image.h"

namespace {

int Run(const cli::Args& args) {
    if (args.size() != 1) return cli::UsageOf("info");
    const std::string& path = args[0];
    const int type = PictureTypeFromPath(path);
    if (type < 0) return cli::Fail("unsupported format: " + path);
    CImage image(path, type);
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

const cli::Registration registration({"info", "PICTURE", Run});

}  // namespace
