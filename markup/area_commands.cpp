// SPDX-License-Identifier: GPL-3.0-or-later
// The commands on the areas, as edits of the pane's text and the selection
// that follows them.

#include "markup/area_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <utility>

namespace {

bool Valid(const AreaScene& scene, int index) {
    return index >= 0 && size_t(index) < scene.areas.size();
}

AreaChange EditOnly(TextEdit edit) {
    AreaChange change;
    change.edit = std::move(edit);
    return change;
}

AreaChange Selecting(TextEdit edit, std::vector<int> selection, AreaChange::Select how) {
    AreaChange change;
    change.edit = std::move(edit);
    change.select = how;
    change.primary = selection.empty() ? -1 : selection.back();
    change.selection = std::move(selection);
    return change;
}

// The whole numbers of a coords text, commas or white space between; none
// when a part is not a whole number within a million.
std::optional<std::vector<int>> WholeNumbers(std::string_view text) {
    std::vector<int> numbers;
    size_t i = 0;
    const auto separator = [](char c) {
        return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' ||
               c == '\v';
    };
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !separator(text[end])) ++end;
        const std::string part(text.substr(i, end - i));
        i = end;
        char* stop = nullptr;
        errno = 0;
        const long v = std::strtol(part.c_str(), &stop, 10);
        if (errno || *stop || part.front() == ' ' || v < -1000000 || v > 1000000)
            return std::nullopt;
        numbers.push_back(int(v));
    }
    return numbers;
}

}  // namespace

AreaChange AlignCommand(const AreaScene& scene, AreaAlign how) {
    return EditOnly(AlignAreasEdit(scene.text, scene.areas, scene.selection, how));
}

AreaChange SameSizeCommand(const AreaScene& scene, bool width) {
    std::vector<int> order = {scene.primary};
    for (int i : scene.selection)
        if (i != scene.primary) order.push_back(i);
    return EditOnly(SameSizeEdit(scene.text, scene.areas, order, width));
}

AreaChange SpaceCommand(const AreaScene& scene, bool horizontal) {
    return EditOnly(SpaceAreasEdit(scene.text, scene.areas, scene.selection, horizontal));
}

AreaChange DeleteCommand(const AreaScene& scene) {
    AreaChange change = EditOnly(DeleteAreasEdit(scene.text, scene.areas, scene.selection));
    change.clearFirst = true;
    return change;
}

AreaChange DeleteAreaCommand(const AreaScene& scene, int index) {
    if (!Valid(scene, index)) return {};
    AreaChange change = EditOnly(DeleteAreaEdit(scene.text, scene.areas[size_t(index)]));
    change.clearFirst = true;
    return change;
}

AreaChange DuplicateCommand(const AreaScene& scene) {
    if (scene.selection.empty()) return {};
    TextEdit edit = DuplicateAreasEdit(scene.text, scene.areas, scene.selection, kCopyOffset,
                                       kCopyOffset, scene.width, scene.height);
    std::vector<int> copies;
    for (size_t k = 0; k < scene.selection.size(); ++k)
        copies.push_back(scene.selection[k] + int(k) + 1);
    return Selecting(std::move(edit), std::move(copies), AreaChange::Select::kIfSelecting);
}

AreaChange DuplicateAreaCommand(const AreaScene& scene, int index) {
    if (!Valid(scene, index)) return {};
    TextEdit edit = DuplicateAreaEdit(scene.text, scene.areas[size_t(index)], kCopyOffset,
                                      kCopyOffset, scene.width, scene.height);
    return Selecting(std::move(edit), {index + 1}, AreaChange::Select::kIfSelecting);
}

AreaChange ReorderCommand(const AreaScene& scene, int index, bool earlier) {
    if (!Valid(scene, index)) return {};
    TextEdit edit = ReorderAreaEdit(scene.text, scene.areas, size_t(index), earlier);
    return Selecting(std::move(edit), {earlier ? index - 1 : index + 1},
                     AreaChange::Select::kIfSelecting);
}

AreaChange PasteCommand(const AreaScene& scene, std::string_view clip,
                        const MarkupSettings& settings) {
    size_t count = 0;
    const std::string lines =
        PastedAreaLines(clip, kCopyOffset, kCopyOffset, scene.width, scene.height, &count);
    if (count == 0) return {};
    const std::string text(scene.text);
    TextEdit edit = InsertAreaLineEdit(text, lines, settings);
    // The new tags are those that stand inside the inserted bytes.
    std::vector<int> pasted;
    const size_t end = edit.begin + edit.inserted.size();
    const std::vector<AreaTag> after = ParseAreas(ApplyEdit(text, edit));
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i].tag.begin >= edit.begin && after[i].tag.end <= end) pasted.push_back(int(i));
    return Selecting(std::move(edit), std::move(pasted), AreaChange::Select::kSelectTool);
}

AreaChange SelectAllCommand(const AreaScene& scene) {
    std::vector<int> all(scene.areas.size());
    std::iota(all.begin(), all.end(), 0);
    return Selecting({}, std::move(all), AreaChange::Select::kSelectTool);
}

std::string CopyText(const AreaScene& scene) {
    if (scene.selection.empty()) return {};
    return CopyAreasText(scene.text, scene.areas, scene.selection);
}

std::string CoordsText(const AreaScene& scene) {
    if (!Valid(scene, scene.primary)) return {};
    std::string text;
    for (double v : scene.areas[size_t(scene.primary)].coords) {
        char number[32];
        std::snprintf(number, sizeof number, "%.12g", v);
        if (!text.empty()) text += ',';
        text += number;
    }
    return text;
}

std::optional<AreaChange> SetCoordsCommand(const AreaScene& scene, std::string_view text) {
    if (!Valid(scene, scene.primary)) return std::nullopt;
    const AreaTag& area = scene.areas[size_t(scene.primary)];
    const std::optional<std::vector<int>> coords = WholeNumbers(text);
    if (!coords) return std::nullopt;
    const size_t n = coords->size();
    const bool fits = area.shape == AreaShape::kRect     ? n == 4
                      : area.shape == AreaShape::kCircle ? n == 3 && (*coords)[2] >= 0
                      : area.shape == AreaShape::kPoly   ? n >= 6 && n % 2 == 0
                                                         : false;
    if (!fits) return std::nullopt;
    return EditOnly(SetCoordsEdit(scene.text, area, *coords));
}
