// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/tools/polygon_tool.h"

#include <QPainter>
#include <vector>

#include "markup/area_group.h"
#include "markup/area_markup.h"
#include "view/tools/tool_icon.h"

namespace {

ClientPoint ToClient(QPoint p) {
    return ClientPoint{p.x(), p.y()};
}

}  // namespace

void CPolygonTool::Press(QPoint point) {
    if (!m_ctx.Picture() || !m_ctx.IsInsidePicture(point)) return;
    AddVertex(point);
}

QPoint CPolygonTool::Constrained(QPoint client) const {
    const AreaMapping mapping = m_ctx.Mapping();
    QPoint p = SnapClient(m_ctx, client);
    if (m_nVertexCount >= 1 && (m_ctx.Modifiers() & Qt::ShiftModifier)) {
        const QPoint last = mapping.ToClient(m_ptVertex[static_cast<size_t>(m_nVertexCount - 1)]);
        int x = p.x(), y = p.y();
        ConstrainTo45(last.x(), last.y(), x, y);
        p = QPoint(x, y);
    }
    return p;
}

void CPolygonTool::AddVertex(QPoint raw) {
    const QPoint client = Constrained(raw);
    const ToolOutline before = Outline();
    if (m_nVertexCount < 0) {
        m_nVertexCount = 0;
        m_ptLast = client;
    }
    // Beyond the last vertex a click adds nothing.
    if (m_nVertexCount < kMaxVertices)
        m_ptVertex[static_cast<size_t>(m_nVertexCount++)] = SnapPlace(m_ctx, raw, client);
    m_ctx.UpdateOutline(before);
}

void CPolygonTool::Move(QPoint point) {
    if (m_nVertexCount < 0) return;
    const ToolOutline before = Outline();
    m_ptLast = Constrained(point);
    m_ctx.UpdateOutline(before);
}

void CPolygonTool::DoubleClick(QPoint point) {
    if (m_nVertexCount < 2 || !m_ctx.Picture() || !m_ctx.IsInsidePicture(point)) return;
    FinishPolygon();
}

bool CPolygonTool::RightClick(QPoint client) {
    if (m_nVertexCount < 0) return false;
    // The last corner, as a double-click places it.
    if (!m_ctx.Picture() || !m_ctx.IsInsidePicture(client)) return true;
    // Where the last click placed a corner already, the right-click adds none.
    const QPoint at = AreaMapping::ToPicture(SnapPlace(m_ctx, client, Constrained(client)));
    if (m_nVertexCount == 0 ||
        at != AreaMapping::ToPicture(m_ptVertex[static_cast<size_t>(m_nVertexCount - 1)]))
        AddVertex(client);
    if (m_nVertexCount >= 2) FinishPolygon();
    return true;
}

bool CPolygonTool::Cancel() {
    if (m_nVertexCount < 0) return false;
    const ToolOutline before = Outline();
    m_nVertexCount = -1;
    m_ctx.UpdateOutline(before);
    return true;
}

ToolOutline CPolygonTool::Outline() const {
    ToolOutline outline;
    if (m_held.kind != ToolOutline::kNone) return m_held;
    if (m_nVertexCount < 1) return outline;
    // One vertex: the edge from it to the mouse. More: the closed outline
    // through every vertex and the mouse.
    const AreaMapping mapping = m_ctx.Mapping();
    const int n = m_nVertexCount;
    if (n == 1 && m_ptLast == mapping.ToClient(m_ptVertex[0])) return outline;
    outline.kind = ToolOutline::kLines;
    outline.closed = n >= 2;
    for (int i = 0; i < n; ++i)
        outline.points << mapping.ToClient(m_ptVertex[static_cast<size_t>(i)]);
    outline.points << m_ptLast;
    return outline;
}

void CPolygonTool::FinishPolygon() {
    m_held = Outline();
    AreaLink link;
    if (m_ctx.AskLink(&link)) {
        // Written as if drawn at the scroll and zoom of the first corner;
        // corners on the grid as the grid points they stand on.
        const bool snapped = AnySnapped(m_ptVertex.data(), m_nVertexCount);
        const AreaMapping atFirst =
            snapped ? AreaMapping{} : AreaMapping{m_ptVertex[0].zoom, m_ptVertex[0].scroll};
        std::vector<ClientPoint> vertices;
        for (int i = 0; i < m_nVertexCount; ++i) {
            const PlacedPoint& p = m_ptVertex[static_cast<size_t>(i)];
            vertices.push_back(ToClient(snapped ? AreaMapping::ToPicture(p) : atFirst.ToClient(p)));
        }
        m_ctx.InsertLine(
            FormatPolyArea(vertices, ToClient(atFirst.scroll), atFirst.zoom, link.alt, link.href),
            link);
    }
    m_held = ToolOutline();
    m_nVertexCount = -1;
    m_ptVertex.fill(PlacedPoint());
    m_ctx.RepaintAll();
}

namespace {
void DrawPolygon(QPainter& p) {
    p.setPen(IconPen(kIconShape));
    p.setBrush(Qt::NoBrush);
    QPolygonF shape{{2.5, 12.5}, {4.5, 2.5}, {9.5, 6.5}, {13.5, 1.5}, {13.5, 12.5}};
    p.drawPolygon(shape);
}
}  // namespace

// The menu's parenthesis before the mnemonic is the full-width one, as the
// window has always shown it.
const ToolDescriptor CPolygonTool::kRow = {
    tool_id::kPolygon,
    tool_command::kPolygon,
    "多角形 （&P)",
    "多角形",
    "多角形",
    Qt::Key_P,
    DrawPolygon,
    [](CToolContext& context, CAreaContext&) -> std::unique_ptr<CMapTool> {
        return std::make_unique<CPolygonTool>(context);
    }};
