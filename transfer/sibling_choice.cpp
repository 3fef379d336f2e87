// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/sibling_choice.h"

namespace ze::transfer {

bool TitleNamesSibling(std::string_view title) {
    return title.substr(0, kTitleLimit).find(kSiblingName) != std::string_view::npos;
}

std::optional<size_t> ChooseSibling(const std::vector<WindowRecord>& windows) {
    std::optional<size_t> target;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (!TitleNamesSibling(windows[i].title)) continue;
        target = i;
        if (windows[i].state != WindowState::Hidden) break;
    }
    return target;
}

}  // namespace ze::transfer
