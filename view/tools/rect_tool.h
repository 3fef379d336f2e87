// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rubber band: a drag draws a rectangle, or a circle around the press
// point, and on release asks for the link and adds the area. Points snap to
// the grid when it is on; Shift keeps a square, or a circle's radius along
// an axis.

#include "view/tools/map_tool.h"

class CRectTool : public CMapTool {
public:
    static const ToolDescriptor kCircleRow, kRectRow;
    explicit CRectTool(CToolContext& context) : m_ctx(context) {}

    // Circles instead of rectangles; a drag under way changes with it.
    void SetCircle(bool circle) { m_bCircle = circle; }

    bool IsDragging() const { return m_bDragging; }
    const PlacedPoint& Anchor() const { return m_ptAnchor; }
    QPoint LastPoint() const { return m_ptLast; }

    void Press(QPoint client) override;
    void Move(QPoint client) override;
    void Release(QPoint client) override;
    bool RightClick(QPoint client) override;
    bool Cancel() override;
    void PutDown() override { Cancel(); }
    ToolOutline Outline() const override;
    bool ButtonDragging() const override { return m_bDragging; }

private:
    // Asks for the link of the shape ending at client point `end`, placed
    // as `placed`, and adds its area.
    void FinishDrag(QPoint end, const PlacedPoint& placed);
    // The mouse's point on the grid and, with Shift, making a square or a
    // radius along an axis.
    QPoint Constrained(QPoint client) const;

    CToolContext& m_ctx;
    bool m_bCircle = false;
    bool m_bDragging = false;
    QPoint m_ptLast;
    PlacedPoint m_ptAnchor;
    // The finished shape's outline stays on screen while its dialog is up.
    ToolOutline m_held;
};
