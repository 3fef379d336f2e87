#include "view/tools/select_tool.h"

#include <Qt>
#include <cmath>
#include <utility>

#include "view/selection_handles.h"

namespace {

// The mouse must travel this far (client pixels) before a press becomes a drag.
constexpr int kDragStart = 3;

}  // namespace

const std::vector<double>* CSelectTool::Preview() const {
    return m_selectDrag == SelectDrag::kDragging && !m_preview.empty() ? &m_preview : nullptr;
}

void CSelectTool::Forget() {
    m_selectDrag = SelectDrag::kNone;
    m_preview.clear();
}

bool CSelectTool::RightClick(QPoint) {
    return Cancel();
}

void CSelectTool::Scrolled(QPoint client) {
    // The mouse stays while the picture moves under it: a drag follows.
    if (m_selectDrag == SelectDrag::kDragging) Move(client);
}

void CSelectTool::Press(QPoint client) {
    if (!m_ctx.Picture()) return;
    m_ptPress = m_ctx.Mapping().Place(client);
    m_selectDrag = SelectDrag::kNone;
    // A change not yet read (a line just drawn, a key just typed) counts.
    m_areas.AreasCurrent();
    const AreaMapping mapping = m_ctx.Mapping();
    if (m_areas.SelectedArea() >= 0) {
        const AreaTag& area = m_areas.Areas()[size_t(m_areas.SelectedArea())];
        m_nHandle = HandleAt(HandlesOf(area.shape, area.coords), client, mapping);
        if (m_nHandle >= 0) {
            m_selectDrag = SelectDrag::kPending;
            return;
        }
    }
    const int hit = m_areas.AreaAt(client);
    if (hit != m_areas.SelectedArea()) m_areas.SelectArea(hit);
    m_nHandle = -1;
    if (hit >= 0) m_selectDrag = SelectDrag::kPending;
}

void CSelectTool::Move(QPoint client) {
    if (m_selectDrag == SelectDrag::kNone || m_areas.SelectedArea() < 0) return;
    if (m_selectDrag == SelectDrag::kPending) {
        if ((client - m_ctx.Mapping().ToClient(m_ptPress)).manhattanLength() < kDragStart) return;
        m_selectDrag = SelectDrag::kDragging;
    }
    const QRect before = m_areas.SelectionBounds();
    const AreaTag& area = m_areas.Areas()[size_t(m_areas.SelectedArea())];
    const AreaMapping mapping = m_ctx.Mapping();
    if (m_nHandle >= 0) {
        const std::vector<AreaHandle> handles = HandlesOf(area.shape, area.coords);
        const std::vector<int> coords =
            ReshapedCoords(area.coords, handles[size_t(m_nHandle)], mapping.ToPicture(client),
                           m_areas.PictureSize());
        m_preview.assign(coords.begin(), coords.end());
    } else {
        const QPoint delta = mapping.ToPicture(client) - AreaMapping::ToPicture(m_ptPress);
        m_preview = MovedCoords(area.shape, area.coords,
                                ClampMove(area.shape, area.coords, delta, m_areas.PictureSize()));
    }
    m_areas.Repaint(before);
    m_areas.Repaint(m_areas.SelectionBounds());
}

void CSelectTool::Release(QPoint client) {
    if (m_selectDrag != SelectDrag::kDragging || m_areas.SelectedArea() < 0) {
        m_selectDrag = SelectDrag::kNone;
        return;
    }
    Move(client);
    const std::vector<double> preview = std::move(m_preview);
    m_preview.clear();
    m_selectDrag = SelectDrag::kNone;
    m_areas.Repaint(m_areas.SelectionBounds().united(
        ClientBounds(GeometryOf(m_areas.Areas()[size_t(m_areas.SelectedArea())].shape, preview,
                                m_areas.PictureSize()),
                     m_ctx.Mapping(), kHandleSize + 2)));
    if (!m_areas.AreasCurrent()) return;
    const AreaTag& area = m_areas.Areas()[size_t(m_areas.SelectedArea())];
    if (preview.empty() || preview == area.coords) return;
    if (m_nHandle >= 0) {
        std::vector<int> coords;
        for (double v : preview) coords.push_back(static_cast<int>(v));
        m_areas.ApplyPaneEdit(SetCoordsEdit(m_areas.AreaText(), area, coords));
    } else {
        const int dx = static_cast<int>(std::lround(preview[0] - area.coords[0]));
        const int dy = static_cast<int>(std::lround(preview[1] - area.coords[1]));
        m_areas.ApplyPaneEdit(MoveAreaEdit(m_areas.AreaText(), area, dx, dy));
    }
}

void CSelectTool::DoubleClick(QPoint client) {
    if (!m_ctx.Picture()) return;
    m_selectDrag = SelectDrag::kNone;
    if (m_areas.SelectedArea() < 0 || !m_areas.AreasCurrent()) return;
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
            break;
        default:
            return false;
    }
    if (!m_areas.AreasCurrent()) return true;
    const AreaTag& area = m_areas.Areas()[size_t(m_areas.SelectedArea())];
    if (key == Qt::Key_Delete) {
        const TextEdit edit = DeleteAreaEdit(m_areas.AreaText(), area);
        m_areas.SelectArea(-1);
        m_areas.ApplyPaneEdit(edit);
        return true;
    }
    delta = ClampMove(area.shape, area.coords, delta, m_areas.PictureSize());
    if (!delta.isNull())
        m_areas.ApplyPaneEdit(MoveAreaEdit(m_areas.AreaText(), area, delta.x(), delta.y()));
    return true;
}

bool CSelectTool::Cancel() {
    if (m_selectDrag == SelectDrag::kNone) return false;
    // The area goes back to where the text has it.
    const QRect moved = m_areas.SelectionBounds();
    m_selectDrag = SelectDrag::kNone;
    m_preview.clear();
    m_areas.Repaint(moved);
    m_areas.Repaint(m_areas.SelectionBounds());
    return true;
}
