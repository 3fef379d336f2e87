// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli preview PICTURE < TEXT: prints the page that the editor's
// "check in a browser" command writes for PICTURE and the pane text TEXT.

#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "command.h"
#include "doc/picture_type.h"
#include "image/image.h"
#include "markup/preview_page.h"

namespace {

int Run(const cli::Args& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') return cli::UsageOf("preview");
    const std::string& picture = args[0];
    const int type = PictureTypeFromPath(picture);
    if (type < 0) return cli::Fail("cannot open " + picture + " as a picture");
    CImage image(picture, type);
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return cli::FailRead(picture, image.GetReadFailure());
    std::error_code ec;
    const auto full = std::filesystem::absolute(std::u8string(picture.begin(), picture.end()), ec);
    const std::u8string u8 = full.lexically_normal().generic_u8string();
    std::string url = "file://";
    if (!u8.empty() && u8[0] != u8'/') url += '/';
    for (const char8_t c : u8) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80 && (std::isalnum(b) ||
                         std::string_view("/-._~").find(char(b)) != std::string_view::npos)) {
            url += char(b);
        } else {
            static const char* hex = "0123456789ABCDEF";
            url += '%';
            url += hex[b >> 4];
            url += hex[b & 15];
        }
    }
    std::string page;
    if (!MakePreviewPage(url, image.GetWidth(), image.GetHeight(), cli::ReadAllStdin(), &page))
        return cli::Fail("the markup has no <map>");
    cli::WriteOut(page);
    return cli::kOk;
}

const cli::Registration registration({"preview", "PICTURE < TEXT", Run});

}  // namespace
