// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The input of the map commands (check, export): PAGE or "-" for the pane's
// text on standard input, and the pictures of its images with maps, from
// --picture FILE or from each image's src resolved as a browser does on the
// site (--root DIR the folder of "/...").

#include <string>
#include <vector>

#include "command.h"
#include "markup/map_check.h"
#include "picture_lookup.h"

namespace cli {

struct MapInput {
    std::string name;     // the page's path as given, or "-"
    std::string text;     // UTF-8
    std::string picture;  // --picture; empty when not given
    std::string root;     // --root; empty when not given
};

// Takes args[*i] (and the value after it) when it is --picture FILE or
// --root DIR, each once, or the page's name (PAGE or "-"), once; moves *i past what it took.
// False when the argument is neither.
bool TakeMapArg(const Args& args, size_t* i, MapInput* input);

// Reads `path` ("-": standard input) as UTF-8 text. Answers kOk, or
// kUsageError once a page that cannot be read is reported.
int ReadMapInput(MapInput* input);

// What is found of the pictures of ListMapImages(input.text), read once each
// through `cache` when given.
std::vector<PictureLookup> LookUpPictures(const MapInput& input, CPictureCache* cache = nullptr);

}  // namespace cli
