// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli preview PICTURE [--svg|--scaling-map PERCENT] < TEXT: prints
// the page that the editor's "check in a browser" command writes for PICTURE
// and the pane text TEXT, or with a form and a width the page of its scaled
// look in that form at PERCENT % of the picture's width.

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "command.h"
#include "document/picture_type.h"
#include "image/image.h"
#include "markup/preview_page.h"

namespace {

int Run(const cli::Args& args) {
    if ((args.size() != 1 && args.size() != 3) || args[0].empty() || args[0][0] == '-')
        return cli::UsageOf("preview");
    // With a form and a width: the page of 伸縮を確認 instead.
    int form = -1, percent = 0;
    if (args.size() == 3) {
        form = args[1] == "--svg"           ? int(ResponsiveForm::kSvg)
               : args[1] == "--scaling-map" ? int(ResponsiveForm::kScalingMap)
                                            : -1;
        const char* digits = args[2].c_str();
        char* end = nullptr;
        const long value = std::strtol(digits, &end, 10);
        if (form < 0 || end == digits || *end || value < 1 || value > 1000)
            return cli::UsageOf("preview");
        percent = int(value);
    }
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
    if (form >= 0) {
        if (!MakeScaledPreviewPage(url, {image.GetWidth(), image.GetHeight()}, cli::ReadAllStdin(),
                                   static_cast<ResponsiveForm>(form), percent, &page))
            return cli::Fail("the markup has no image with a map");
    } else if (!MakePreviewPage(url, image.GetWidth(), image.GetHeight(), cli::ReadAllStdin(),
                                &page)) {
        return cli::Fail("the markup has no <map>");
    }
    cli::WriteOut(page);
    return cli::kOk;
}

const cli::Registration registration({"preview", "PICTURE [--svg|--scaling-map PERCENT] < TEXT",
                                      Run});

}  // namespace
