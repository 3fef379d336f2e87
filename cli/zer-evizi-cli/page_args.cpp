// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_args.h"

#include <string>

namespace cli {

bool ParsePageArgs(const Args& args, PageArgs* out) {
    bool havePath = false;
    bool haveImage = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--image" && !haveImage && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (value.empty() || value.size() > 6 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return false;
            out->image = std::stoul(value);
            if (out->image == 0) return false;
            haveImage = true;
        } else if (!arg.empty() && arg[0] != '-' && !havePath) {
            out->path = arg;
            havePath = true;
        } else {
            return false;
        }
    }
    return havePath;
}

int OpenPage(const Args& args, const char* name, PageArgs* page, PageFile* file) {
    if (!ParsePageArgs(args, page)) return UsageOf(name);
    *file = LoadPageFile(page->path);
    if (!file->ok)
        return Fail("cannot open " + page->path + ": " +
                    ze::StatusText(file->error, ze::TextLanguage::kEnglish));
    const size_t count = file->page.maps.size();
    if (page->image > count)
        return Fail(page->path + " has " + std::to_string(count) +
                    (count == 1 ? " image with a map" : " images with maps"));
    return kOk;
}

}  // namespace cli
