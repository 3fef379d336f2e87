#pragma once
// The arguments of the page commands: PAGE [--image N].

#include <cstddef>
#include <string>

#include "command.h"

namespace cli {

struct PageArgs {
    std::string path;
    size_t image = 1;  // 1-based: which image with a map
};

// False on a usage error.
bool ParsePageArgs(const Args& args, PageArgs* out);

}  // namespace cli
