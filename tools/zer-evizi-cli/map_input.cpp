// SPDX-License-Identifier: GPL-3.0-or-later
#include "map_input.h"

#include <utility>

#include "doc/page_file.h"
#include "io/messages.h"

namespace cli {

namespace {

int Unreadable(const std::string& message) {
    Fail(message);
    return kUsageError;
}

}  // namespace

bool TakeMapArg(const Args& args, size_t* i, MapInput* input) {
    const std::string& arg = args[*i];
    for (const auto& [flag, value] :
         {std::pair{"--picture", &input->picture}, std::pair{"--root", &input->root}}) {
        if (arg == flag && value->empty() && *i + 1 < args.size() && !args[*i + 1].empty()) {
            *value = args[++*i];
            return true;
        }
    }
    if (input->name.empty() && !arg.empty() && (arg == "-" || arg[0] != '-')) {
        input->name = arg;
        return true;
    }
    return false;
}

int ReadMapInput(MapInput* input) {
    if (input->name == "-") {
        input->text = ReadAllStdin();
        return kOk;
    }
    PageFile file = LoadPageFile(input->name);
    const PageStatus status = file.page.status;
    if (file.bytes.empty() && !file.error.empty())
        return Unreadable("cannot open " + input->name + ": " + file.error);
    if (status != PageStatus::kOk && status != PageStatus::kNoImageMap)
        return Unreadable("cannot open " + input->name + ": " + PageStatusText(status));
    input->text = PageText(file.bytes, file.page);
    return kOk;
}

std::vector<PictureLookup> LookUpPictures(const MapInput& input, CPictureCache* cache) {
    std::vector<PictureLookup> lookups;
    for (const MapImage& image : ListMapImages(input.text)) {
        if (!input.picture.empty())
            lookups.push_back(LookUpPictureFile(input.picture, cache));
        else
            lookups.push_back(LookUpPicture(input.name, image.source, input.root, cache));
    }
    return lookups;
}

}  // namespace cli
