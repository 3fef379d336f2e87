// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The arguments of the page commands: PAGE [--image N].

#include <cstddef>
#include <string>

#include "command.h"
#include "document/page_file.h"

namespace cli {

struct PageArgs {
    std::string path;
    size_t image = 1;  // 1-based: which image with a map
};

// False on a usage error.
bool ParsePageArgs(const Args& args, PageArgs* out);
// Reads the arguments of command `name` and the page they name, with the
// image asked for among its images with maps. Answers kOk, or the exit
// status once the usage or the failure is printed.
int OpenPage(const Args& args, const char* name, PageArgs* page, PageFile* file);

}  // namespace cli
