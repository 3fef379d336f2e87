// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The input of the map commands (check, export): PAGE or "-" for the pane's
// text on standard input, and the pictures of its images with maps, from
// --picture FILE or from each image's src resolved as the page opener does.

#include <string>
#include <vector>

#include "command.h"
#include "markup/map_check.h"

namespace cli {

struct MapInput {
    std::string name;     // the page's path as given, or "-"
    std::string text;     // UTF-8
    std::string picture;  // --picture; empty when not given
};

// Takes args[*i] (and the value after it) when it is --picture FILE, once,
// or the page's name (PAGE or "-"), once; moves *i past what it took.
// False when the argument is neither.
bool TakeMapArg(const Args& args, size_t* i, MapInput* input);

// Reads `path` ("-": standard input) as UTF-8 text. Answers kOk, or
// kUsageError once a page that cannot be read is reported.
int ReadMapInput(MapInput* input);

// The sizes of the pictures of ListMapImages(input.text). A picture that
// cannot be read is reported and answers kUsageError; one that is not a
// local file is left unknown with a note on stderr.
int ReadPictureSizes(const MapInput& input, std::vector<PictureSize>* sizes);

}  // namespace cli
