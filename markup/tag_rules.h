// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checker's rules that read one tag's attributes (no coverage): the
// alternative text and link of an area, its shape keyword, repeated and
// meaningless attributes, its size on the page; an image's src and ismap;
// a map's name. Each appends its findings, unplaced
// (offset, rule, message), for the checker to place and order.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/html_tags.h"
#include "markup/map_check.h"

// Nothing but white space, the ideographic space (U+3000) included.
bool IsBlankText(std::string_view text);

// How many CSS pixels a picture pixel is where the page shows the picture.
struct DisplayScale {
    double x = 1;
    double y = 1;
};

// The scale an image tag's width and height give its picture: 1 without
// them (the picture at its own size, known or not); nothing when they need
// the picture's size and it is not known, or are percentages.
std::optional<DisplayScale> ScaleOfImage(std::string_view text, const StartTag& image,
                                         PictureSize picture);

// area-alt, no-href, area-shape, duplicate-attribute, area-link-attributes
// and, with a scale, target-size. `index`: the area's place in ParseAreas.
void CheckAreaTag(std::string_view text, const StartTag& tag, const AreaTag& area, int index,
                  std::optional<DisplayScale> scale, std::vector<MapFinding>& out);

// picture-missing for an image without src (or with an empty one), and
// ismap-usemap.
void CheckImageTag(std::string_view text, const StartTag& tag, std::vector<MapFinding>& out);

// map-name.
void CheckMapTag(std::string_view text, const StartTag& tag, std::vector<MapFinding>& out);
