// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/tools/rect_tool.h"

#include <QPainter>
#include <cmath>

#include "markup/area_group.h"
#include "markup/area_markup.h"
#include "view/tools/tool_icon.h"

namespace {

// The client distance between two points, truncated to whole pixels.
int Distance(QPoint a, QPoint b) {
    const double dx = static_cast<double>(a.x()) - b.x();
    const double dy = static_cast<double>(a.y()) - b.y();
    const double d = std::sqrt(dx * dx + dy * dy);
    return d < 2147483647.0 ? static_cast<int>(d) : 2147483647;
}

ClientPoint ToClient(QPoint p) {
    return ClientPoint{p.x(), p.y()};
}

}  // namespace

QPoint CRectTool::Constrained(QPoint client) const {
    const AreaMapping mapping = m_ctx.Mapping();
    QPoint p = SnapClient(m_ctx, client);
    if (m_bDragging && (m_ctx.Modifiers() & Qt::ShiftModifier)) {
        const QPoint a = mapping.ToClient(m_ptAnchor);
        int x = p.x(), y = p.y();
        if (m_bCircle)
            ConstrainToAxis(a.x(), a.y(), x, y);
        else
            ConstrainSquare(a.x(), a.y(), x, y);
        p = QPoint(x, y);
    }
    return p;
}

void CRectTool::Press(QPoint point) {
    if (!m_ctx.Picture() || !m_ctx.IsInsidePicture(point)) return;
    const QPoint snapped = SnapClient(m_ctx, point);
    const ToolOutline before = Outline();
    m_bDragging = true;
    m_ptLast = snapped;
    m_ptAnchor = SnapPlace(m_ctx, point, snapped);
    m_ctx.UpdateOutline(before);
}

void CRectTool::Move(QPoint point) {
    if (!m_bDragging) return;
    const ToolOutline before = Outline();
    m_ptLast = Constrained(point);
    m_ctx.UpdateOutline(before);
}

void CRectTool::Release(QPoint point) {
    // Qt delivers the release wherever the button comes up, outside the
    // window too, so a drag always ends here.
    if (!m_bDragging) return;
    const ToolOutline before = Outline();
    const QPoint end = Constrained(point);
    m_bDragging = false;
    if (end == m_ctx.Mapping().ToClient(m_ptAnchor) || !m_ctx.InWindow(point)) {
        // No area: a click without a drag, or the button came up outside
        // the view.
        m_ctx.UpdateOutline(before);
        return;
    }
    FinishDrag(end, SnapPlace(m_ctx, point, end));
}

bool CRectTool::RightClick(QPoint) {
    return m_bDragging && Cancel();
}

bool CRectTool::Cancel() {
    if (!m_bDragging) return false;
    const ToolOutline before = Outline();
    m_bDragging = false;
    m_ctx.UpdateOutline(before);
    return true;
}

ToolOutline CRectTool::Outline() const {
    ToolOutline outline;
    if (m_held.kind != ToolOutline::kNone) return m_held;
    if (!m_bDragging) return outline;
    const QPoint anchor = m_ctx.Mapping().ToClient(m_ptAnchor);
    if (m_bCircle) {
        const int r = Distance(anchor, m_ptLast);
        if (r > 0) {
            outline.kind = ToolOutline::kCircle;
            outline.centre = anchor;
            outline.radius = r;
        }
    } else if (m_ptLast != anchor) {
        outline.kind = ToolOutline::kLines;
        outline.closed = true;
        outline.points << anchor << QPoint(anchor.x(), m_ptLast.y()) << m_ptLast
                       << QPoint(m_ptLast.x(), anchor.y());
    }
    return outline;
}

void CRectTool::FinishDrag(QPoint end, const PlacedPoint& placed) {
    // The outline stays on screen while the dialog asks for the link.
    m_bDragging = true;
    m_ptLast = end;
    m_held = Outline();
    m_bDragging = false;

    AreaLink link;
    if (m_ctx.AskLink(&link)) {
        // Written as if drawn at the scroll and zoom of the press; points on
        // the grid as the grid points they stand on, the same at any zoom.
        AreaMapping at{m_ptAnchor.zoom, m_ptAnchor.scroll};
        ClientPoint a = ToClient(m_ptAnchor.client), e = ToClient(at.ToClient(placed));
        if (m_ptAnchor.snapped || placed.snapped) {
            a = ToClient(AreaMapping::ToPicture(m_ptAnchor));
            e = ToClient(AreaMapping::ToPicture(placed));
            at = AreaMapping{};
        }
        const ClientPoint scroll = ToClient(at.scroll);
        const std::string& alt = link.alt;
        const std::string& url = link.href;
        const std::string line = m_bCircle ? FormatCircleArea(a, e, scroll, at.zoom, alt, url)
                                           : FormatRectArea(a, e, scroll, at.zoom, alt, url);
        m_ctx.InsertLine(line, link);
    }
    m_held = ToolOutline();
    m_ctx.RepaintAll();
}

namespace {
void DrawCircle(QPainter& p) {
    p.setPen(IconPen(kIconShape));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.5, 2, 11, 11));
}

void DrawRect(QPainter& p) {
    p.setPen(IconPen(kIconShape));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 3.5, 11, 8));
}
}  // namespace

const ToolDescriptor CRectTool::kCircleRow = {
    tool_id::kCircle,
    tool_command::kCircle,
    "円 (&C)",
    "円",
    "円",
    Qt::Key_C,
    DrawCircle,
    [](CToolContext& context, CAreaContext&) -> std::unique_ptr<CMapTool> {
        auto tool = std::make_unique<CRectTool>(context);
        tool->SetCircle(true);
        return tool;
    }};
const ToolDescriptor CRectTool::kRectRow = {
    tool_id::kRect,
    tool_command::kRect,
    "矩形 (&R)",
    "矩形",
    "矩形",
    Qt::Key_R,
    DrawRect,
    [](CToolContext& context, CAreaContext&) -> std::unique_ptr<CMapTool> {
        return std::make_unique<CRectTool>(context);
    }};
