// SPDX-License-Identifier: GPL-3.0-or-later
// Link text for arbitrary base/path pairs: the input is split at its first
// NUL byte into the base folder and the path.

#include "markup/link_path.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string base = input.substr(0, split);
    const std::string path = split == std::string::npos ? std::string() : input.substr(split + 1);

    const std::string link = MakeLinkPath(base, path);
    // The final pass leaves no backslash and no asterisk behind.
    if (link.find_first_of("\\*") != std::string::npos) __builtin_trap();
    for (PathStyle style : {PathStyle::kWindows, PathStyle::kPosix}) {
        const std::string text = LinkTextForPath(base, path, style);
        // Never longer than the climb out of the base plus the whole path.
        if (text.size() > 3 * (base.size() + 1) + path.size() + 8) __builtin_trap();
        (void)FileNameOfPath(path, style);
    }
    return 0;
}
