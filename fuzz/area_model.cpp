// SPDX-License-Identifier: GPL-3.0-or-later
// The area model over arbitrary text: the tags found must lie inside the
// text, and the edits must do what they say when the text is read again.

#include "markup/area_model.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "markup/area_markup.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool Inside(const TextRange& inner, const TextRange& outer) {
    return !inner.present() ||
           (inner.begin >= outer.begin && inner.begin <= inner.end && inner.end <= outer.end);
}

bool Same(const std::vector<AreaTag>& a, const std::vector<AreaTag>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].tag.begin != b[i].tag.begin || a[i].tag.end != b[i].tag.end ||
            a[i].line != b[i].line || a[i].coords != b[i].coords || a[i].href != b[i].href ||
            a[i].alt != b[i].alt || a[i].valid != b[i].valid ||
            a[i].hrefValue.begin != b[i].hrefValue.begin)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<AreaTag> areas = ParseAreas(text);
    size_t previousEnd = 0;
    for (const AreaTag& a : areas) {
        Check(a.tag.begin >= previousEnd && a.tag.begin < a.tag.end && a.tag.end <= text.size());
        Check(text[a.tag.begin] == '<' && text[a.tag.end - 1] == '>');
        Check(Inside(a.coordsValue, a.tag) && Inside(a.hrefValue, a.tag) &&
              Inside(a.altValue, a.tag));
        previousEnd = a.tag.end;
    }
    for (double p : {0.0, 5.0, 10.5, 100.0}) {
        const int hit = HitTestAreas(areas, p, p);
        Check(hit >= -1 && hit < static_cast<int>(areas.size()));
    }

    // Reading on from the first change gives what reading afresh gives: a
    // byte taken out of the middle, and "<!--" put there.
    const size_t half = size / 2;
    for (const std::string& after : {text.substr(0, half) + text.substr(std::min(half + 1, size)),
                                     text.substr(0, half) + "<!--" + text.substr(half)})
        Check(Same(UpdateAreas(areas, text, after), ParseAreas(after)));

    // A few areas are edited and the text read again.
    for (size_t i = 0; i < areas.size() && i < 3; ++i) {
        const std::string moved = ApplyEdit(text, MoveAreaEdit(text, areas[i], 7, -3));
        const std::vector<AreaTag> after = ParseAreas(moved);
        Check(after.size() == areas.size() && Same(UpdateAreas(areas, text, moved), after));
        if (areas[i].shape == AreaShape::kCircle && areas[i].coords.size() >= 2)
            Check(after[i].coords[0] == areas[i].coords[0] + 7 &&
                  after[i].coords[1] == areas[i].coords[1] - 3);

        // Only the quotes are escaped: the reference typed reads as "&".
        const std::string href = "a\"b'c&amp; <d>";
        const std::string linked = ApplyEdit(text, SetAttributeEdit(text, areas[i], "href", href));
        const std::vector<AreaTag> relinked = ParseAreas(linked);
        Check(relinked.size() == areas.size() && relinked[i].href == "a\"b'c& <d>");

        const std::string coords = ApplyEdit(text, SetCoordsEdit(text, areas[i], {1, -2, 3}));
        const std::vector<AreaTag> recoord = ParseAreas(coords);
        Check(recoord.size() == areas.size() &&
              recoord[i].coords == std::vector<double>({1, -2, 3}));
        (void)ApplyEdit(text, DeleteAreaEdit(text, areas[i]));
    }

    // The line's insertion as an edit gives the text the whole pass gives.
    for (bool upper : {false, true}) {
        const MarkupSettings settings{upper, ""};
        const std::string line = "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"x\" href=\"y\">";
        Check(ApplyEdit(text, InsertAreaLineEdit(text, line, settings)) ==
              InsertAreaLine(text, line, settings));
    }
    return 0;
}
