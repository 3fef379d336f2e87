// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/tools/select_tool.h"

#include <QPainter>
#include <Qt>
#include <algorithm>
#include <cmath>
#include <utility>

#include "markup/area_group.h"
#include "view/selection_handles.h"
#include "view/tools/tool_icon.h"

namespace {

// The mouse must travel this far (client pixels) before a press becomes a drag.
constexpr int kDragStart = 3;

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

const std::vector<double>* CSelectTool::Preview() const {
    return m_selectDrag == SelectDrag::kDragging && !m_preview.empty() ? &m_preview : nullptr;
}

void CSelectTool::Forget() {
    const ToolOutline before = Outline();
    m_selectDrag = SelectDrag::kNone;
    m_preview.clear();
    m_moveDelta = QPoint();
    m_nCorner = -1;
    if (std::exchange(m_bBand, false)) m_ctx.UpdateOutline(before);
}

bool CSelectTool::RightClick(QPoint) {
    return Cancel();
}

void CSelectTool::Scrolled(QPoint client) {
    // The mouse stays while the picture moves under it: a drag follows.
    if (m_selectDrag == SelectDrag::kDragging) Move(client);
}

ToolOutline CSelectTool::Outline() const {
    ToolOutline outline;
    if (!m_bBand || m_selectDrag != SelectDrag::kDragging) return outline;
    const QPoint a = m_ctx.Mapping().ToClient(m_ptPress), e = m_ptBand;
    outline.kind = ToolOutline::kLines;
    outline.closed = true;
    outline.points << a << QPoint(a.x(), e.y()) << e << QPoint(e.x(), a.y());
    return outline;
}

void CSelectTool::Press(QPoint client) {
    if (!m_ctx.Picture()) return;
    Forget();
    m_ptPress = m_ctx.Mapping().Place(client);
    m_ptBand = client;
    m_nHandle = -1;
    m_bNarrow = false;
    // A change not yet read (a line just drawn, a key just typed) counts.
    m_areas.AreasCurrent();
    const Qt::KeyboardModifiers modifiers = m_ctx.Modifiers();
    m_lastClick.reset();
    if (m_ctx.IsInsidePicture(client)) m_lastClick = m_ctx.Mapping().ToPictureF(client);
    if (modifiers & Qt::AltModifier) {
        if (m_lastClick) CycleAt(*m_lastClick);
        return;
    }
    const AreaMapping mapping = m_ctx.Mapping();
    const int primary = m_areas.SelectedArea();
    if (primary >= 0 && !(modifiers & Qt::ShiftModifier)) {
        const AreaTag& area = m_areas.Areas()[size_t(primary)];
        m_nHandle = HandleAt(HandlesOf(area.shape, area.coords), client, mapping);
        if (m_nHandle >= 0) {
            if (area.shape == AreaShape::kPoly) {
                m_nCorner = m_nHandle;
                m_areas.Repaint(m_areas.SelectionBounds());
            }
            m_selectDrag = SelectDrag::kPending;
            return;
        }
    }
    int hit = m_areas.AreaAt(client);
    // Just outside the selected polygon's edge still counts as on it, so
    // that a double-click there can add a corner.
    if (hit < 0 && !(modifiers & Qt::ShiftModifier) && EdgeAt(client) >= 0) hit = primary;
    if (modifiers & Qt::ShiftModifier) {
        if (hit >= 0) {
            ToggleArea(hit);
            return;
        }
        m_bBandAdds = true;
    } else if (hit >= 0 && Contains(m_areas.Selection(), hit)) {
        // A press inside the selection moves all of it; a click without a
        // drag keeps that area alone.
        if (hit != primary) m_areas.SetSelection(m_areas.Selection(), hit);
        m_bNarrow = m_areas.Selection().size() > 1;
    } else {
        m_bBandAdds = false;
        if (hit != primary || m_areas.Selection().size() > 1) m_areas.SelectArea(hit);
    }
    m_bBand = hit < 0;
    m_selectDrag = SelectDrag::kPending;
}

void CSelectTool::ToggleArea(int area) {
    std::vector<int> selection = m_areas.Selection();
    const auto at = std::find(selection.begin(), selection.end(), area);
    if (at != selection.end()) {
        selection.erase(at);
        const int primary = m_areas.SelectedArea();
        m_areas.SetSelection(selection, primary != area     ? primary
                                        : selection.empty() ? -1
                                                            : selection.back());
    } else {
        selection.insert(std::upper_bound(selection.begin(), selection.end(), area), area);
        m_areas.SetSelection(selection, area);
    }
}

void CSelectTool::CycleAt(QPointF at, bool forward) {
    std::vector<int> under = AreasAtPoint(m_areas.Areas(), at.x(), at.y());
    if (under.empty()) {
        m_areas.SelectArea(-1);
        return;
    }
    if (!forward) std::reverse(under.begin(), under.end());
    const auto current = std::find(under.begin(), under.end(), m_areas.SelectedArea());
    const int next =
        current == under.end() || current + 1 == under.end() ? under.front() : *(current + 1);
    m_areas.SelectArea(next);
}

bool CSelectTool::CycleLastClick(bool forward) {
    if (!m_lastClick || m_selectDrag == SelectDrag::kDragging) return false;
    m_areas.AreasCurrent();
    if (AreasAtPoint(m_areas.Areas(), m_lastClick->x(), m_lastClick->y()).size() < 2) return false;
    CycleAt(*m_lastClick, forward);
    return true;
}

std::vector<int> CSelectTool::BandAreas() const {
    const AreaMapping mapping = m_ctx.Mapping();
    const QPointF a = mapping.ToPictureF(mapping.ToClient(m_ptPress));
    const QPointF e = mapping.ToPictureF(m_ptBand);
    const double left = std::min(a.x(), e.x()), right = std::max(a.x(), e.x());
    const double top = std::min(a.y(), e.y()), bottom = std::max(a.y(), e.y());
    std::vector<int> inside;
    const std::vector<AreaTag>& areas = m_areas.Areas();
    for (size_t i = 0; i < areas.size(); ++i) {
        AreaBox box;
        if (AreaBounds(areas[i], box) && box.left >= left && box.right <= right && box.top >= top &&
            box.bottom <= bottom)
            inside.push_back(int(i));
    }
    return inside;
}

void CSelectTool::Move(QPoint client) {
    m_ptHover = client;
    if (m_selectDrag == SelectDrag::kNone) return;
    if (m_selectDrag == SelectDrag::kPending) {
        if ((client - m_ctx.Mapping().ToClient(m_ptPress)).manhattanLength() < kDragStart) return;
        m_selectDrag = SelectDrag::kDragging;
    }
    if (m_bBand) {
        const ToolOutline before = Outline();
        m_ptBand = client;
        m_ctx.UpdateOutline(before);
        return;
    }
    const int primary = m_areas.SelectedArea();
    if (primary < 0) return;
    const QRect before = m_areas.SelectionBounds();
    const AreaTag& area = m_areas.Areas()[size_t(primary)];
    const AreaMapping mapping = m_ctx.Mapping();
    const QSize picture = m_areas.PictureSize();
    if (m_nHandle >= 0) {
        const std::vector<AreaHandle> handles = HandlesOf(area.shape, area.coords);
        const QPoint to = SnapPicture(m_ctx, client);
        const std::vector<int> coords =
            ReshapedCoords(area.coords, handles[size_t(m_nHandle)], to, picture);
        m_preview.assign(coords.begin(), coords.end());
    } else {
        QPoint delta = mapping.ToPicture(client) - AreaMapping::ToPicture(m_ptPress);
        // The grid holds the first point of the area picked.
        if (const int grid = m_ctx.GridSpacing(); grid >= 2 && area.coords.size() >= 2) {
            const int x = static_cast<int>(std::lround(std::clamp(area.coords[0], -1e9, 1e9)));
            const int y = static_cast<int>(std::lround(std::clamp(area.coords[1], -1e9, 1e9)));
            delta =
                QPoint(SnapToGrid(x + delta.x(), grid) - x, SnapToGrid(y + delta.y(), grid) - y);
        }
        for (int i : m_areas.Selection()) {
            const AreaTag& each = m_areas.Areas()[size_t(i)];
            if (each.shape != AreaShape::kDefault)
                delta = ClampMove(each.shape, each.coords, delta, picture);
        }
        m_moveDelta = delta;
    }
    m_areas.Repaint(before);
    m_areas.Repaint(m_areas.SelectionBounds());
}

void CSelectTool::Release(QPoint client) {
    if (m_selectDrag != SelectDrag::kDragging) {
        const bool narrow = m_selectDrag == SelectDrag::kPending && m_bNarrow;
        m_selectDrag = SelectDrag::kNone;
        m_bBand = false;
        if (narrow) m_areas.SelectArea(m_areas.SelectedArea());
        return;
    }
    Move(client);
    if (m_bBand) {
        const ToolOutline before = Outline();
        std::vector<int> chosen = BandAreas();
        m_selectDrag = SelectDrag::kNone;
        m_bBand = false;
        m_ctx.UpdateOutline(before);
        if (m_bBandAdds) {
            for (int i : m_areas.Selection())
                if (!Contains(chosen, i)) chosen.push_back(i);
            std::sort(chosen.begin(), chosen.end());
        }
        const int primary = m_areas.SelectedArea();
        m_areas.SetSelection(chosen, Contains(chosen, primary) ? primary
                                     : chosen.empty()          ? -1
                                                               : chosen.back());
        return;
    }
    const QRect before = m_areas.SelectionBounds();
    const std::vector<double> preview = std::move(m_preview);
    const QPoint delta = std::exchange(m_moveDelta, QPoint());
    m_preview.clear();
    m_selectDrag = SelectDrag::kNone;
    RepaintSelection(before);
    const int primary = m_areas.SelectedArea();
    if (primary < 0 || !m_areas.AreasCurrent()) return;
    if (m_nHandle >= 0) {
        const AreaTag& area = m_areas.Areas()[size_t(primary)];
        if (preview.empty() || preview == area.coords) return;
        std::vector<int> coords;
        for (double v : preview) coords.push_back(static_cast<int>(v));
        m_areas.ApplyPaneEdit(SetCoordsEdit(m_areas.AreaText(), area, coords));
    } else if (!delta.isNull()) {
        const QSize size = m_areas.PictureSize();
        m_areas.ApplyPaneEdit(MoveAreasEdit(m_areas.AreaText(), m_areas.Areas(),
                                            m_areas.Selection(), delta.x(), delta.y(), size.width(),
                                            size.height()));
    }
}

void CSelectTool::RepaintSelection(const QRect& before) {
    m_areas.Repaint(before);
    m_areas.Repaint(m_areas.SelectionBounds());
}

int CSelectTool::EdgeAt(QPoint client) const {
    const int primary = m_areas.SelectedArea();
    if (primary < 0 || m_areas.Selection().size() != 1) return -1;
    const AreaTag& area = m_areas.Areas()[size_t(primary)];
    if (area.shape != AreaShape::kPoly) return -1;
    const AreaMapping mapping = m_ctx.Mapping();
    // On a corner's handle there is no edge to split.
    if (HandleAt(HandlesOf(area.shape, area.coords), client, mapping) >= 0) return -1;
    // Measured on screen: the same reach at every zoom.
    std::vector<double> points;
    for (size_t i = 0; i + 1 < area.coords.size(); i += 2) {
        const QPointF at = mapping.ToClient(QPointF(area.coords[i], area.coords[i + 1]));
        points.push_back(at.x());
        points.push_back(at.y());
    }
    return PolygonEdgeAt(points, client.x() + 0.5, client.y() + 0.5, kHandleSize / 2 + 1);
}

void CSelectTool::AddCorner(int edge, QPoint client) {
    if (!m_areas.AreasCurrent()) return;
    const AreaTag& area = m_areas.Areas()[size_t(m_areas.SelectedArea())];
    const QPoint at = SnapPicture(m_ctx, client);
    const QSize size = m_areas.PictureSize();
    const std::vector<int> coords =
        InsertCorner(area.coords, size_t(edge), std::clamp(at.x(), 0, size.width()),
                     std::clamp(at.y(), 0, size.height()));
    if (!coords.empty()) m_areas.ApplyPaneEdit(SetCoordsEdit(m_areas.AreaText(), area, coords));
}

bool CSelectTool::RemoveSelectedCorner() {
    const int primary = m_areas.SelectedArea();
    if (m_nCorner < 0 || primary < 0) return false;
    const AreaTag& area = m_areas.Areas()[size_t(primary)];
    if (area.shape != AreaShape::kPoly) return false;
    const int corner = m_nCorner;
    const std::vector<int> coords = RemoveCorner(area.coords, size_t(corner));
    // Three corners stay: the key does nothing more.
    if (coords.empty()) return true;
    m_areas.ApplyPaneEdit(SetCoordsEdit(m_areas.AreaText(), area, coords));
    // The corner before it is picked next, so that the key can go on.
    if (m_areas.SelectedArea() == primary) m_nCorner = std::max(0, corner - 1);
    m_areas.Repaint(m_areas.SelectionBounds());
    return true;
}

void CSelectTool::DoubleClick(QPoint client) {
    if (!m_ctx.Picture()) return;
    m_selectDrag = SelectDrag::kNone;
    m_bBand = false;
    if (m_areas.SelectedArea() < 0 || !m_areas.AreasCurrent()) return;
    if (const int edge = EdgeAt(client); edge >= 0) {
        AddCorner(edge, client);
        return;
    }
    if (m_areas.AreaAt(client) == m_areas.SelectedArea())
        m_areas.EditAreaLink(m_areas.SelectedArea());
}

bool CSelectTool::Key(int key) {
    if (m_areas.SelectedArea() < 0 || m_selectDrag == SelectDrag::kDragging) return false;
    QPoint delta;
    switch (key) {
        case Qt::Key_Left:
            delta = QPoint(-1, 0);
            break;
        case Qt::Key_Right:
            delta = QPoint(1, 0);
            break;
        case Qt::Key_Up:
            delta = QPoint(0, -1);
            break;
        case Qt::Key_Down:
            delta = QPoint(0, 1);
            break;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
        case Qt::Key_Insert:
            break;
        default:
            return false;
    }
    if (!m_areas.AreasCurrent()) return true;
    if (key == Qt::Key_Insert) {
        if (const int edge = EdgeAt(m_ptHover); edge >= 0) AddCorner(edge, m_ptHover);
        return true;
    }
    const std::vector<int> selection = m_areas.Selection();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        if (RemoveSelectedCorner()) return true;
        const TextEdit edit = DeleteAreasEdit(m_areas.AreaText(), m_areas.Areas(), selection);
        m_areas.SelectArea(-1);
        m_areas.ApplyPaneEdit(edit);
        return true;
    }
    const QSize size = m_areas.PictureSize();
    const TextEdit edit = MoveAreasEdit(m_areas.AreaText(), m_areas.Areas(), selection, delta.x(),
                                        delta.y(), size.width(), size.height());
    if (edit.removed || !edit.inserted.empty()) m_areas.ApplyPaneEdit(edit);
    return true;
}

bool CSelectTool::Cancel() {
    if (m_selectDrag == SelectDrag::kNone) return false;
    // The areas go back to where the text has them.
    const QRect moved = m_areas.SelectionBounds();
    const ToolOutline band = Outline();
    m_selectDrag = SelectDrag::kNone;
    m_preview.clear();
    m_moveDelta = QPoint();
    if (std::exchange(m_bBand, false)) m_ctx.UpdateOutline(band);
    RepaintSelection(moved);
    return true;
}

namespace {
// A mouse pointer.
void DrawSelect(QPainter& p) {
    p.setPen(IconPen(kIconInk));
    p.setBrush(Qt::white);
    QPolygonF arrow{{4.5, 1.5}, {4.5, 12.5}, {7, 10}, {9, 14.5}, {11, 13.5}, {9, 9.5}, {12.5, 9.5}};
    p.drawPolygon(arrow);
}
}  // namespace

const ToolDescriptor CSelectTool::kRow = {
    tool_id::kSelect,
    tool_command::kSelect,
    "選択 (&S)",
    "領域を選択して移動・変形する",
    "選択",
    Qt::Key_S,
    DrawSelect,
    [](CToolContext& context, CAreaContext& areas) -> std::unique_ptr<CMapTool> {
        return std::make_unique<CSelectTool>(context, areas);
    }};
