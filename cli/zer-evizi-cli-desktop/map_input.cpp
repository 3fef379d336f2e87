// SPDX-License-Identifier: GPL-3.0-or-later
#include "map_input.h"

#include <utility>

#include "document/page_file.h"
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
    const ze::Status status = file.page.status;
    const auto english = [](const ze::Status& s) {
        return ze::StatusText(s, ze::TextLanguage::kEnglish);
    };
    if (file.bytes.empty() && !file.error.ok())
        return Unreadable("cannot open " + input->name + ": " + english(file.error));
    if (status != ze::StatusCode::kOk && status != ze::StatusCode::kNoImageMap)
        return Unreadable("cannot open " + input->name + ": " + english(status));
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
