// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pixel centres of a picture that an area holds, row by row, exactly as
// AreaContains decides. The work grows with the rows the area reaches and
// its corners, read once: a row costs what crosses it (a search of a few
// steps where rounding leaves an end in doubt), never a test of every pixel
// of the row or of every corner of a polygon.

#include <cstddef>
#include <vector>

#include "markup/area_model.h"

struct PixelSpan {
    int begin = 0;  // columns [begin, end) of one row
    int end = 0;
};

class CAreaRows {
public:
    // The rows of `area`, which must outlive them, on a width x height
    // picture, in place of the last area's (their memory kept for it); an
    // invalid area holds nothing.
    void Reset(const AreaTag& area, int width, int height);
    // A row at or above the Top() that Reset would give, found without
    // its search: where a sweep down the rows takes the area up.
    static int EntryRow(const AreaTag& area, int height);

    // Rows [Top(), Bottom()) are the only ones that may hold pixels.
    int Top() const { return m_top; }
    int Bottom() const { return m_bottom; }
    // The pixels of row y as sorted spans that neither touch nor overlap.
    // Rows are asked for in ascending order, each at most once.
    void Row(int y, std::vector<PixelSpan>& out);

private:
    struct Edge {
        double x1, y1, x2, y2;  // corner i, then the corner before it
        long double slope;      // dx / dy
        double quickSlope;      // the same in doubles, or NaN (QuickSlope)
        int first, last;        // rows [first, last) it crosses
        int dir;                // the orientation that means "left of it"
    };
    struct Flat {  // a corner or a level edge on a row
        int row;
        double left, right;
    };

    void SetUpPolygon();
    void PolygonRow(int y, std::vector<PixelSpan>& out);
    int EdgeEnd(const Edge& e, double cy, bool* onCentre) const;
    int SettledEnd(const Edge& e, double cy, double x0, double y0, bool* onCentre) const;
    void CircleRow(int y, std::vector<PixelSpan>& out) const;
    int Anchor(int y) const;
    bool Holds(int x, int y) const;

    const AreaTag* m_area = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_top = 0;
    int m_bottom = 0;
    int m_left = 0;  // a rectangle's columns; a circle's column nearest its centre
    int m_right = 0;
    double m_scale = 1;
    bool m_plainCircle = false;
    std::vector<Edge> m_edges;  // by first row
    size_t m_nextEdge = 0;
    std::vector<size_t> m_active;
    std::vector<Flat> m_flats;  // by row
    size_t m_nextFlat = 0;
    std::vector<std::pair<int, bool>> m_ends;
};
