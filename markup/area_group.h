// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Edits of several areas at once, each as one text edit (one undo step):
// moves, removals, alignment, sizes and spacing of a group, a polygon's
// corners added and removed, copies of tags as text and pasted back, and the
// geometry helpers the tools share (overlaps in a browser's order, the grid,
// the Shift constraints). Pure text and arithmetic; nothing here draws.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "markup/area_markup.h"
#include "markup/area_model.h"

// A polygon keeps this many corners at least (and kMaxPolygonCorners at most).
constexpr size_t kMinCorners = 3;

// The corners of `coords` with (x, y) put in after corner `after` (0-based),
// in whole numbers; empty when the polygon holds kMaxPolygonCorners already or has
// no corner `after`. An odd last number is dropped.
std::vector<int> InsertCorner(const std::vector<double>& coords, size_t after, int x, int y);
// The corners without corner `corner`; empty when only kMinCorners remain or
// it does not exist.
std::vector<int> RemoveCorner(const std::vector<double>& coords, size_t corner);
// The edge of the closed polygon through `points` (x, y pairs) that passes
// within `tolerance` of (x, y): the index of its first corner, the nearest
// edge winning; -1 for none.
int PolygonEdgeAt(const std::vector<double>& points, double x, double y, double tolerance);

// The areas `indices` of `areas` (read from `text`) moved together by
// (dx, dy), cut short so that none of them leaves a picture of width x
// height; one edit.
TextEdit MoveAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                       const std::vector<int>& indices, int dx, int dy, int width, int height);
// The tags `indices` removed, each as DeleteAreaEdit removes one; one edit.
TextEdit DeleteAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                         const std::vector<int>& indices);
// A copy of each tag right after it, moved by (dx, dy) as DuplicateAreaEdit
// does; one edit. The copy of the k-th (in document order) becomes area
// indices[k] + k + 1.
TextEdit DuplicateAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                            const std::vector<int>& indices, int dx, int dy, int width, int height);

// The box an area covers: a rectangle's corners, a circle's centre plus and
// minus its radius, a polygon's extremes. False for a default area or one
// without enough numbers.
struct AreaBox {
    double left = 0, top = 0, right = 0, bottom = 0;
};
bool AreaBounds(const AreaTag& area, AreaBox& box);

enum class AreaAlign { kLeft, kRight, kTop, kBottom, kCentreX, kCentreY };
// Each area moved so that its edge (or centre) meets that of the box around
// all of them: left to the leftmost left, centres to the middle of that box.
// Moves are whole pixels, rounded.
TextEdit AlignAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                        const std::vector<int>& indices, AreaAlign how);
// Each area given the width (or height) of the first of `indices`, keeping
// its left (top) edge: a rectangle's far edge moves, a circle's radius
// becomes half of it, a polygon is stretched from its left (top).
TextEdit SameSizeEdit(std::string_view text, const std::vector<AreaTag>& areas,
                      const std::vector<int>& indices, bool width);
// The areas spaced evenly from left to right (or top to bottom) by their
// boxes: the first and the last stay, the others move so that the gaps
// between neighbouring boxes are equal (rounded).
TextEdit SpaceAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                        const std::vector<int>& indices, bool horizontal);

// The tags `indices` as text in document order, one a line (CR LF between).
std::string CopyAreasText(std::string_view text, const std::vector<AreaTag>& areas,
                          const std::vector<int>& indices);
// The area tags found in `clip` (anything else in it is left out), each
// moved by (dx, dy) as far as the picture allows, joined by CR LF; the
// number of tags through `count`. Empty when `clip` holds none.
std::string PastedAreaLines(std::string_view clip, int dx, int dy, int width, int height,
                            size_t* count);

// The areas a browser would try at picture point (x, y) and that hold it,
// in the order it tries them: others in document order, then default areas.
std::vector<int> AreasAtPoint(const std::vector<AreaTag>& areas, double x, double y);

// `value` moved to the nearest multiple of `spacing` (halves up);
// unchanged when spacing is below 2.
int SnapToGrid(int value, int spacing);
// The end of a drag from (ax, ay) changed so that the box they span is a
// square: the shorter side grows to the longer.
void ConstrainSquare(int ax, int ay, int& x, int& y);
// The end kept on the horizontal or the vertical line through (ax, ay),
// whichever is nearer: a circle's radius along an axis.
void ConstrainToAxis(int ax, int ay, int& x, int& y);
// The end turned to the nearest multiple of 45 degrees around (ax, ay),
// keeping its reach along the chosen direction.
void ConstrainTo45(int ax, int ay, int& x, int& y);
