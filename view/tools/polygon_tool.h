// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Polygons: each click places a corner, a double-click (or a right-click)
// places the last one and asks for the link.

#include <array>

#include "markup/area_markup.h"
#include "view/tools/map_tool.h"

class CPolygonTool : public CMapTool {
public:
    static const ToolDescriptor kRow;
    static constexpr int kMaxVertices = kMaxPolygonCorners;

    explicit CPolygonTool(CToolContext& context) : m_ctx(context) {}

    // -1: no polygon open.
    int VertexCount() const { return m_nVertexCount; }
    const PlacedPoint& Placed(int i) const { return m_ptVertex[static_cast<size_t>(i)]; }
    QPoint LastPoint() const { return m_ptLast; }

    void Press(QPoint client) override;
    void Move(QPoint client) override;
    void DoubleClick(QPoint client) override;
    bool RightClick(QPoint client) override;
    bool Cancel() override;
    ToolOutline Outline() const override;

private:
    // Places a corner at a client point inside the picture.
    void AddVertex(QPoint raw);
    // The mouse's point on the grid and, with Shift, on a line at a multiple
    // of 45 degrees from the last corner.
    QPoint Constrained(QPoint client) const;
    void FinishPolygon();

    CToolContext& m_ctx;
    std::array<PlacedPoint, kMaxVertices> m_ptVertex{};
    int m_nVertexCount = -1;
    QPoint m_ptLast;
    // The finished shape's outline stays on screen while its dialog is up.
    ToolOutline m_held;
};
