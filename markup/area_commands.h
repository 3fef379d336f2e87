// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands on the areas that the menus, the keys and the selection tool
// share: alignment, sizes, spacing, removal, copies, order, the clipboard's
// text and the numbers of one area. Each reads the areas as parsed from the
// pane's text and answers with one edit of that text (one undo step) and
// what becomes selected; whoever runs it applies both. No Qt here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/area_group.h"
#include "markup/area_markup.h"
#include "markup/area_model.h"

// The areas a command works on: the text they were read from, the areas,
// the selection (document order) and the area whose handles show (-1:
// none), and the picture's size that moves are kept inside.
struct AreaScene {
    std::string_view text;
    const std::vector<AreaTag>& areas;
    const std::vector<int>& selection;
    int primary = -1;
    int width = 0;
    int height = 0;
};

// What a command does: the edit (none when empty), the selection given up
// before it, and the selection after it.
struct AreaChange {
    TextEdit edit;
    bool clearFirst = false;
    enum class Select {
        kKeep,         // the selection stays as it was
        kIfSelecting,  // `selection` when the selection tool is in use
        kSelectTool,   // the selection tool taken up, `selection` selected
    } select = Select::kKeep;
    std::vector<int> selection;
    int primary = -1;
    bool Empty() const { return edit.removed == 0 && edit.inserted.empty(); }
};

// Copies land this far right and down of their originals, in picture pixels.
constexpr int kCopyOffset = 10;

AreaChange AlignCommand(const AreaScene& scene, AreaAlign how);
// The area whose handles show gives the size.
AreaChange SameSizeCommand(const AreaScene& scene, bool width);
AreaChange SpaceCommand(const AreaScene& scene, bool horizontal);
// The selection removed, or the one area `index`.
AreaChange DeleteCommand(const AreaScene& scene);
AreaChange DeleteAreaCommand(const AreaScene& scene, int index);
// A copy of each selected area (or of area `index`) right after it,
// kCopyOffset right and down as far as the picture allows; the copies
// become the selection.
AreaChange DuplicateCommand(const AreaScene& scene);
AreaChange DuplicateAreaCommand(const AreaScene& scene, int index);
// Area `index` one place earlier or later among the map's tags.
AreaChange ReorderCommand(const AreaScene& scene, int index, bool earlier);
// The area tags of `clip` put in before the map's end, kCopyOffset right and
// down, and selected; nothing when it holds none.
AreaChange PasteCommand(const AreaScene& scene, std::string_view clip,
                        const MarkupSettings& settings);
// Every area selected.
AreaChange SelectAllCommand(const AreaScene& scene);
// The selected tags as the clipboard's text; empty without a selection.
std::string CopyText(const AreaScene& scene);
// The numbers of the area whose handles show, as its coords text
// ("10,20,30,40"); empty without one.
std::string CoordsText(const AreaScene& scene);
// Those numbers set from such a text (commas or spaces between). None for
// a text that is not whole numbers within a million, or numbers its shape
// cannot take (a rectangle 4, a circle 3, a polygon 6 or more and even).
std::optional<AreaChange> SetCoordsCommand(const AreaScene& scene, std::string_view text);
