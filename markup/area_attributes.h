// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every attribute of an area tag: reading them in tag order, changing
// several as one edit, the optional attributes of a new area line, moving a
// tag to another place among its map's tags, and what the area list shows of
// each area (its problems, and which earlier area a browser picks where two
// overlap). Pure text logic over UTF-8 bytes, like area_model.h.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "markup/area_model.h"

struct NamedValue {
    std::string name;  // lower-cased
    std::string value;
};

// The attributes of the area's tag in tag order, values decoded; a name
// without a value has an empty one. Empty when the text no longer holds
// the tag where `area` says.
std::vector<NamedValue> ReadAreaAttributes(std::string_view text, const AreaTag& area);

// What the link dialog edits: the two first fields and the optional
// attributes behind them.
struct AreaLink {
    std::string href;
    std::string alt;
    std::string title;
    std::string target;
    std::string id;
    std::string className;
    std::string rel;
};
// The optional attributes' names in the order a new area line gets them.
inline constexpr const char* kMoreAttributeNames[] = {"title", "target", "id", "class", "rel"};
// The value of optional attribute `index` (kMoreAttributeNames) of `link`.
std::string& MoreAttribute(AreaLink& link, size_t index);
const std::string& MoreAttribute(const AreaLink& link, size_t index);
// The link fields as the tag holds them (missing: empty).
AreaLink AreaLinkOf(std::string_view text, const AreaTag& area);

// `line` (an area line ending in '>') with the optional attributes of
// `link` that have a value inserted before its '>', each as
// name="value" with '"' written as "&quot;", names in the case of the
// line's own tag name. A line without '>' is returned unchanged.
std::string WithMoreAttributes(const std::string& line, const AreaLink& link);

// One edit that sets `link` on the area's tag, changing only the attributes
// whose value differs from `before` (what the dialog was filled with):
// href and alt are written even when empty; an optional attribute emptied
// is removed with the blank before it. Every other byte stays. No edit
// (removed 0, nothing inserted) when nothing changed or the tag is stale.
TextEdit SetAreaLinkEdit(std::string_view text, const AreaTag& area, const AreaLink& before,
                         const AreaLink& after);

// Removes attribute `name` (lower case) of the tag with the blanks before
// it; no edit when the tag has none.
struct StartTag;
TextEdit RemoveAttributeEdit(std::string_view text, const StartTag& tag, std::string_view name);

// The single edit that turns `before` into `after`: the bytes between
// their common start and common end.
TextEdit DiffEdit(std::string_view before, std::string_view after);

// Moves the tag of areas[from] so that it becomes areas[to], the tags
// between shifting by one; every byte outside the tags stays where it is.
// No edit when an index is out of range, they are equal, a tag is stale,
// or the tags between lie in different maps.
TextEdit MoveAreaTagEdit(std::string_view text, const std::vector<AreaTag>& areas, size_t from,
                         size_t to);

// What is wrong with an area, as flags: a browser ignores it, or it has no
// alternative text (an alt attribute, even empty, counts).
enum AreaProblem : unsigned { kAreaIgnored = 1, kAreaNoAlt = 2 };
unsigned AreaProblems(const AreaTag& area);

// The earlier areas that share picture points with areas[index]: there a
// browser picks them, not this one. A default area is covered by every
// valid area. Shapes are compared at the centres of a grid of at most
// 64 x 64 cells over the two bounding boxes' overlap. The search stops
// after kMaxOverlapTests point tests in all, so that a map built to be slow
// (thousands of polygons whose boxes overlap) cannot hold the list up; what
// was found by then is the answer.
inline constexpr long kMaxOverlapTests = 1L << 20;
std::vector<size_t> AreasInFront(const std::vector<AreaTag>& areas, size_t index);
