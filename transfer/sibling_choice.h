// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which window receives the markup: the sibling HTML editor is found by the
// name in its title. This is the platform-free rule; each transport lists the
// top-level windows and carries the choice out.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ze::transfer {

// The name the sibling editor carries in its window title.
inline constexpr std::string_view kSiblingName = "ZURI Zezez SEKKA";
// A title is read into a 256-byte buffer: at most this many bytes count.
inline constexpr size_t kTitleLimit = 255;

enum class WindowState {
    Minimised,  // restored when chosen
    Visible,    // raised when chosen
    Hidden,     // neither: used only when nothing better follows
};

struct WindowRecord {
    std::string title;  // code page 932 bytes, as the platform reads it
    WindowState state = WindowState::Hidden;
};

// True when the first kTitleLimit bytes of `title` contain kSiblingName
// (exact, case-sensitive).
bool TitleNamesSibling(std::string_view title);

// The target among `windows`, listed top of the stacking order first: the
// first minimised or visible match ends the search; a hidden match is kept
// only until a later match replaces it. Nothing when no title matches.
std::optional<size_t> ChooseSibling(const std::vector<WindowRecord>& windows);

}  // namespace ze::transfer
