// SPDX-License-Identifier: GPL-3.0-or-later
// Edits of several area tags as one, and the geometry the tools share.

#include "markup/area_group.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "markup/area_attributes.h"
#include "markup/html_tags.h"

namespace {

// A coordinate as a whole number; values beyond what an int holds are cut
// to half of its range so that sums of two stay representable.
int ToInt(double v) {
    constexpr double kMax = std::numeric_limits<int>::max() / 2;
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(std::round(v), -kMax, kMax));
}

std::vector<int> Whole(const std::vector<double>& coords) {
    std::vector<int> out;
    out.reserve(coords.size());
    for (double v : coords) out.push_back(ToInt(v));
    return out;
}

// The indices that name an area, once each, in document order.
std::vector<size_t> Sorted(const std::vector<AreaTag>& areas, const std::vector<int>& indices) {
    std::vector<size_t> out;
    for (int i : indices)
        if (i >= 0 && size_t(i) < areas.size()) out.push_back(size_t(i));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// Every area's own edit, all made against `text` and put together in one
// pass. Edits that meet (a removed last line takes the line break before it,
// which the line above may take too) are made one after the other instead,
// from the last area to the first, so that the offsets before stay true.
TextEdit EditEach(std::string_view text, const std::vector<AreaTag>& areas,
                  const std::vector<size_t>& order,
                  const std::function<TextEdit(std::string_view, const AreaTag&, size_t)>& edit) {
    std::vector<TextEdit> edits;
    for (size_t k = 0; k < order.size(); ++k) {
        const AreaTag& area = areas[order[k]];
        if (!area.tag.present() || area.tag.end > text.size()) continue;
        TextEdit e = edit(text, area, k);
        e.begin = std::min(e.begin, text.size());
        e.removed = std::min(e.removed, text.size() - e.begin);
        if (e.removed || !e.inserted.empty()) edits.push_back(std::move(e));
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const TextEdit& a, const TextEdit& b) { return a.begin < b.begin; });
    bool apart = true;
    for (size_t i = 1; i < edits.size(); ++i)
        apart = apart && edits[i - 1].begin < edits[i].begin &&
                edits[i - 1].begin + edits[i - 1].removed <= edits[i].begin;
    if (edits.empty()) return {0, 0, {}};
    std::string result;
    if (apart) {
        size_t at = 0;
        for (const TextEdit& e : edits) {
            result.append(text.substr(at, e.begin - at));
            result += e.inserted;
            at = e.begin + e.removed;
        }
        result.append(text.substr(at));
    } else {
        result.assign(text);
        for (size_t k = order.size(); k-- > 0;) {
            const AreaTag& area = areas[order[k]];
            if (area.tag.present() && area.tag.end <= result.size())
                result = ApplyEdit(result, edit(result, area, k));
        }
    }
    return DiffEdit(text, result);
}

// The tag with every '"' that does not close a double-quoted value written
// as "&quot;", which a browser reads the same: pasted before the map's end,
// an odd one would turn the upper-case setting's sense of what stands in
// quotes for the rest of the text. Empty when one remains (in a name).
std::string PairedQuotes(std::string tag) {
    StartTag read;
    if (ReadStartTagAt(tag, 0, read)) {
        std::vector<TextRange> values;
        for (const TagAttribute& a : read.attributes)
            if (a.quote != '"' && a.value.present()) values.push_back(a.value);
        std::sort(values.begin(), values.end(),
                  [](const TextRange& a, const TextRange& b) { return a.begin > b.begin; });
        for (const TextRange& v : values)
            for (size_t at = v.end; at-- > v.begin;)
                if (tag[at] == '"') tag.replace(at, 1, "&quot;");
    }
    return std::count(tag.begin(), tag.end(), '"') % 2 ? std::string() : tag;
}

}  // namespace

std::vector<int> InsertCorner(const std::vector<double>& coords, size_t after, int x, int y) {
    const size_t corners = coords.size() / 2;
    if (after >= corners || corners >= size_t{kMaxPolygonCorners}) return {};
    std::vector<int> out = Whole(std::vector<double>(coords.begin(), coords.begin() + corners * 2));
    out.insert(out.begin() + std::ptrdiff_t(after * 2 + 2), {x, y});
    return out;
}

std::vector<int> RemoveCorner(const std::vector<double>& coords, size_t corner) {
    const size_t corners = coords.size() / 2;
    if (corner >= corners || corners <= kMinCorners) return {};
    std::vector<int> out = Whole(std::vector<double>(coords.begin(), coords.begin() + corners * 2));
    out.erase(out.begin() + std::ptrdiff_t(corner * 2),
              out.begin() + std::ptrdiff_t(corner * 2 + 2));
    return out;
}

int PolygonEdgeAt(const std::vector<double>& p, double x, double y, double tolerance) {
    const size_t n = p.size() / 2;
    int best = -1;
    double bestDistance = tolerance;
    for (size_t i = 0; i < n && n >= 2; ++i) {
        const size_t j = (i + 1) % n;
        const double ax = p[2 * i], ay = p[2 * i + 1], bx = p[2 * j], by = p[2 * j + 1];
        const double ex = bx - ax, ey = by - ay, length2 = ex * ex + ey * ey;
        double t = length2 > 0 ? ((x - ax) * ex + (y - ay) * ey) / length2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double d = std::hypot(x - (ax + t * ex), y - (ay + t * ey));
        if (d <= bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

TextEdit MoveAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                       const std::vector<int>& indices, int dx, int dy, int width, int height) {
    const std::vector<size_t> order = Sorted(areas, indices);
    // Each area cuts the move short in turn: what is left suits all of them.
    for (size_t i : order)
        if (areas[i].shape != AreaShape::kDefault)
            ClampAreaMove(areas[i].shape, areas[i].coords, width, height, dx, dy);
    if (dx == 0 && dy == 0) return DiffEdit(text, text);
    return EditEach(text, areas, order, [&](std::string_view t, const AreaTag& area, size_t) {
        return MoveAreaEdit(t, area, dx, dy);
    });
}

TextEdit DeleteAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                         const std::vector<int>& indices) {
    return EditEach(
        text, areas, Sorted(areas, indices),
        [](std::string_view t, const AreaTag& area, size_t) { return DeleteAreaEdit(t, area); });
}

TextEdit DuplicateAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                            const std::vector<int>& indices, int dx, int dy, int width,
                            int height) {
    return EditEach(text, areas, Sorted(areas, indices),
                    [&](std::string_view t, const AreaTag& area, size_t) {
                        return DuplicateAreaEdit(t, area, dx, dy, width, height);
                    });
}

bool AreaBounds(const AreaTag& area, AreaBox& box) {
    const std::vector<double>& c = area.coords;
    switch (area.shape) {
        case AreaShape::kRect:
            if (c.size() < 4) return false;
            box = {std::min(c[0], c[2]), std::min(c[1], c[3]), std::max(c[0], c[2]),
                   std::max(c[1], c[3])};
            return true;
        case AreaShape::kCircle:
            if (c.size() < 3) return false;
            box = {c[0] - c[2], c[1] - c[2], c[0] + c[2], c[1] + c[2]};
            return true;
        case AreaShape::kPoly:
            if (c.size() < 2) return false;
            box = {c[0], c[1], c[0], c[1]};
            for (size_t i = 0; i + 1 < c.size(); i += 2) {
                box.left = std::min(box.left, c[i]);
                box.right = std::max(box.right, c[i]);
                box.top = std::min(box.top, c[i + 1]);
                box.bottom = std::max(box.bottom, c[i + 1]);
            }
            return true;
        case AreaShape::kDefault:
            break;
    }
    return false;
}

namespace {

// The areas of `indices` that have a box, in document order, with their boxes.
std::vector<size_t> Boxed(const std::vector<AreaTag>& areas, const std::vector<int>& indices,
                          std::vector<AreaBox>& boxes) {
    std::vector<size_t> out;
    for (size_t i : Sorted(areas, indices)) {
        AreaBox box;
        if (!AreaBounds(areas[i], box)) continue;
        out.push_back(i);
        boxes.push_back(box);
    }
    return out;
}

// Each area moved by its own (dx, dy), as one edit.
TextEdit MoveEach(std::string_view text, const std::vector<AreaTag>& areas,
                  const std::vector<size_t>& order, const std::vector<int>& dx,
                  const std::vector<int>& dy) {
    return EditEach(text, areas, order, [&](std::string_view t, const AreaTag& area, size_t k) {
        return MoveAreaEdit(t, area, dx[k], dy[k]);
    });
}

}  // namespace

TextEdit AlignAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                        const std::vector<int>& indices, AreaAlign how) {
    std::vector<AreaBox> boxes;
    const std::vector<size_t> order = Boxed(areas, indices, boxes);
    if (order.size() < 2) return DiffEdit(text, text);
    AreaBox all = boxes[0];
    for (const AreaBox& b : boxes) {
        all.left = std::min(all.left, b.left);
        all.top = std::min(all.top, b.top);
        all.right = std::max(all.right, b.right);
        all.bottom = std::max(all.bottom, b.bottom);
    }
    std::vector<int> dx(order.size()), dy(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        const AreaBox& b = boxes[k];
        switch (how) {
            case AreaAlign::kLeft:
                dx[k] = ToInt(all.left - b.left);
                break;
            case AreaAlign::kRight:
                dx[k] = ToInt(all.right - b.right);
                break;
            case AreaAlign::kTop:
                dy[k] = ToInt(all.top - b.top);
                break;
            case AreaAlign::kBottom:
                dy[k] = ToInt(all.bottom - b.bottom);
                break;
            case AreaAlign::kCentreX:
                dx[k] = ToInt((all.left + all.right) / 2 - (b.left + b.right) / 2);
                break;
            case AreaAlign::kCentreY:
                dy[k] = ToInt((all.top + all.bottom) / 2 - (b.top + b.bottom) / 2);
                break;
        }
    }
    return MoveEach(text, areas, order, dx, dy);
}

TextEdit SameSizeEdit(std::string_view text, const std::vector<AreaTag>& areas,
                      const std::vector<int>& indices, bool width) {
    std::vector<AreaBox> boxes;
    std::vector<size_t> order;
    // The first area named gives the size, wherever it stands.
    if (!indices.empty()) order = Boxed(areas, {indices[0]}, boxes);
    if (order.empty()) return DiffEdit(text, text);
    const double size = width ? boxes[0].right - boxes[0].left : boxes[0].bottom - boxes[0].top;
    boxes.clear();
    order = Boxed(areas, indices, boxes);
    const int axis = width ? 0 : 1;
    return EditEach(text, areas, order, [&](std::string_view t, const AreaTag& area, size_t k) {
        const AreaBox& b = boxes[k];
        const double from = width ? b.left : b.top;
        const double old = width ? b.right - b.left : b.bottom - b.top;
        std::vector<int> c = Whole(area.coords);
        if (area.shape == AreaShape::kRect) {
            const size_t near = area.coords[size_t(axis)] <= area.coords[size_t(axis) + 2]
                                    ? size_t(axis)
                                    : size_t(axis) + 2;
            const size_t far = near == size_t(axis) ? size_t(axis) + 2 : size_t(axis);
            c[far] = ToInt(area.coords[near] + size);
        } else if (area.shape == AreaShape::kCircle) {
            c[2] = std::max(1, ToInt(size / 2));
            c[size_t(axis)] = ToInt(from + c[2]);
        } else {
            if (!(old > 0)) return TextEdit{area.tag.begin, 0, {}};
            for (size_t i = size_t(axis); i + 1 - size_t(axis) < c.size(); i += 2)
                c[i] = ToInt(from + (area.coords[i] - from) * size / old);
        }
        if (c == Whole(area.coords)) return TextEdit{area.tag.begin, 0, {}};
        return SetCoordsEdit(t, area, c);
    });
}

TextEdit SpaceAreasEdit(std::string_view text, const std::vector<AreaTag>& areas,
                        const std::vector<int>& indices, bool horizontal) {
    std::vector<AreaBox> boxes;
    const std::vector<size_t> found = Boxed(areas, indices, boxes);
    if (found.size() < 3) return DiffEdit(text, text);
    const auto lo = [&](const AreaBox& b) { return horizontal ? b.left : b.top; };
    const auto hi = [&](const AreaBox& b) { return horizontal ? b.right : b.bottom; };
    // Ordered along the axis; ties keep document order.
    std::vector<size_t> rank(found.size());
    for (size_t k = 0; k < rank.size(); ++k) rank[k] = k;
    std::stable_sort(rank.begin(), rank.end(),
                     [&](size_t a, size_t b) { return lo(boxes[a]) < lo(boxes[b]); });
    double sizes = 0;
    for (const AreaBox& b : boxes) sizes += hi(b) - lo(b);
    const double start = lo(boxes[rank.front()]);
    const double span = hi(boxes[rank.back()]) - start;
    const double gap = (span - sizes) / double(found.size() - 1);
    std::vector<int> dx(found.size()), dy(found.size());
    double at = start;
    for (size_t r = 0; r < rank.size(); ++r) {
        const AreaBox& b = boxes[rank[r]];
        const int d = r + 1 == rank.size() ? 0 : ToInt(at - lo(b));
        (horizontal ? dx : dy)[rank[r]] = d;
        at += hi(b) - lo(b) + gap;
    }
    return MoveEach(text, areas, found, dx, dy);
}

std::string CopyAreasText(std::string_view text, const std::vector<AreaTag>& areas,
                          const std::vector<int>& indices) {
    std::string out;
    for (size_t i : Sorted(areas, indices)) {
        const TextRange r = areas[i].tag;
        if (!r.present() || r.end > text.size()) continue;
        if (!out.empty()) out += "\r\n";
        out += text.substr(r.begin, r.end - r.begin);
    }
    return out;
}

std::string PastedAreaLines(std::string_view clip, int dx, int dy, int width, int height,
                            size_t* count) {
    std::string out;
    size_t n = 0;
    for (const AreaTag& area : ParseAreas(clip)) {
        std::string tag =
            PairedQuotes(std::string(clip.substr(area.tag.begin, area.tag.end - area.tag.begin)));
        if (tag.empty()) continue;
        const std::vector<AreaTag> own = ParseAreas(tag);
        if (own.size() == 1 && own[0].shape != AreaShape::kDefault) {
            int x = dx, y = dy;
            ClampAreaMove(own[0].shape, own[0].coords, width, height, x, y);
            tag = ApplyEdit(tag, MoveAreaEdit(tag, own[0], x, y));
        }
        if (n++) out += "\r\n";
        out += tag;
    }
    if (count) *count = n;
    return out;
}

std::vector<int> AreasAtPoint(const std::vector<AreaTag>& areas, double x, double y) {
    std::vector<int> first, last;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (!AreaContains(areas[i], x, y)) continue;
        (areas[i].shape == AreaShape::kDefault ? last : first).push_back(int(i));
    }
    first.insert(first.end(), last.begin(), last.end());
    return first;
}

int SnapToGrid(int value, int spacing) {
    if (spacing < 2) return value;
    const long long s = spacing, q = (long long)value + s / 2;
    const long long snapped = (q >= 0 ? q / s : -((-q + s - 1) / s)) * s;
    return static_cast<int>(std::clamp<long long>(snapped, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

void ConstrainSquare(int ax, int ay, int& x, int& y) {
    const long long dx = (long long)x - ax, dy = (long long)y - ay;
    const long long side = std::max(std::llabs(dx), std::llabs(dy));
    x = static_cast<int>(ax + (dx < 0 ? -side : side));
    y = static_cast<int>(ay + (dy < 0 ? -side : side));
}

void ConstrainToAxis(int ax, int ay, int& x, int& y) {
    if (std::llabs((long long)x - ax) >= std::llabs((long long)y - ay))
        y = ay;
    else
        x = ax;
}

void ConstrainTo45(int ax, int ay, int& x, int& y) {
    const double dx = double(x) - ax, dy = double(y) - ay;
    if (dx == 0 && dy == 0) return;
    const double pi = std::acos(-1.0);
    const int octant = static_cast<int>(std::lround(std::atan2(dy, dx) / (pi / 4))) & 7;
    if (octant % 4 == 0) {
        y = ay;
    } else if (octant % 4 == 2) {
        x = ax;
    } else {
        const double reach = (std::fabs(dx) + std::fabs(dy)) / 2;
        const int t = ToInt(reach);
        x = ax + (dx < 0 ? -t : t);
        y = ay + (dy < 0 ? -t : t);
    }
}
