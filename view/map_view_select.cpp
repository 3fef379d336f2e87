// The areas of the pane on the picture: read again after each change of the
// pane text, outlined, and edited through the selection tool
// (tools/select_tool.cpp) and the context menu. Every change goes back as
// one edit of the pane text, one step of its undo history.

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "doc/map_doc.h"
#include "markup/markup_pane.h"
#include "view/map_view.h"
#include "view/selection_handles.h"

namespace {

// One edit that turns `before` into `after`: what lies between their common
// start and common end.
TextEdit DiffEdit(const std::string& before, const std::string& after) {
    size_t head = 0;
    const size_t shorter = std::min(before.size(), after.size());
    while (head < shorter && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return {head, before.size() - head - tail, after.substr(head, after.size() - head - tail)};
}

// Whether `value` should be written over an attribute that holds `old`
// (present or not): a new value, or an empty one where none was.
bool Changes(const std::string& value, const std::string& old, bool present) {
    return present ? value != old : !value.empty();
}

}  // namespace

const std::vector<AreaTag>& CMapView::Areas() const {
    return m_overlay.Areas();
}

void CMapView::Repaint(const QRect& client) {
    viewport()->update(client);
}

MarkupPane* CMapView::Pane() const {
    return m_pDoc ? m_pDoc->GetPane() : nullptr;
}

AreaMapping CMapView::Mapping() const {
    return AreaMapping{m_zoom, GetScrollPosition()};
}

QSize CMapView::PictureSize() const {
    const CImage* image = Picture();
    return image ? QSize(image->GetWidth(), image->GetHeight()) : QSize();
}

void CMapView::OnPaneChanged() {
    m_refreshTimer.start();
}

void CMapView::OnPaneCaretMoved() {
    m_bCaretMoved = true;
    m_refreshTimer.start();
}

void CMapView::OnToggleAreas() {
    m_bShowAreas = !m_bShowAreas;
    viewport()->update();
    emit areasShownChanged(m_bShowAreas);
    emit commandStateChanged();
}

void CMapView::RefreshAreas() {
    m_refreshTimer.stop();
    MarkupPane* pane = Pane();
    std::string text = pane && Picture() ? pane->GetWindowText() : std::string();
    const QSize size = PictureSize();
    if (text != m_parsedText || size != m_parsedSize) {
        // Typing reads again only from the first changed byte on.
        size_t kept = 0;
        std::vector<AreaTag> areas =
            size == m_parsedSize ? UpdateAreas(m_overlay.TakeAreas(), m_parsedText, text, &kept)
                                 : ParseAreas(text);
        m_parsedText = std::move(text);
        m_parsedSize = size;
        m_overlay.SetAreas(std::move(areas), size, kept);
        if (pane) m_inserter.Learn(*pane, m_parsedText);
        m_selectTool.Forget();
        if (m_nSelected >= m_overlay.Count()) m_nSelected = -1;
        if (pane) {
            // The tag's bytes may have moved: its mark follows.
            const TextRange tag =
                m_nSelected >= 0 ? m_overlay.Areas()[size_t(m_nSelected)].tag : TextRange();
            pane->ShowRange(tag.begin, tag.end, false);
        }
        viewport()->update();
        // The link in the readout follows the areas.
        if (m_ptReadout && Picture()) ShowReadout(*m_ptReadout, true);
    }
    if (!m_bCaretMoved) return;
    m_bCaretMoved = false;
    // The caret inside a tag selects its area; elsewhere, none.
    const size_t caret = pane ? pane->GetCaret() : TextRange::npos;
    if (m_nTool != kToolSelect || m_selectTool.Busy() || caret == TextRange::npos) return;
    int found = -1;
    for (int i = 0; i < m_overlay.Count(); ++i) {
        const TextRange& tag = m_overlay.Areas()[size_t(i)].tag;
        if (tag.begin <= caret && caret < tag.end) found = i;
    }
    if (found == m_nSelected) return;
    const QRect before = SelectionBounds();
    m_nSelected = found;
    const TextRange tag = found >= 0 ? m_overlay.Areas()[size_t(found)].tag : TextRange();
    pane->ShowRange(tag.begin, tag.end, false);
    viewport()->update(before);
    viewport()->update(SelectionBounds());
}

bool CMapView::AreasCurrent() {
    MarkupPane* pane = Pane();
    if (!pane) return false;
    if (pane->Text() == m_parsedText && PictureSize() == m_parsedSize) return true;
    RefreshAreas();
    return false;
}

void CMapView::SelectArea(int index) {
    if (index < -1 || index >= m_overlay.Count()) index = -1;
    const QRect before = SelectionBounds();
    m_nSelected = index;
    m_selectTool.Forget();
    if (MarkupPane* pane = Pane()) {
        const TextRange tag = index >= 0 ? m_overlay.Areas()[size_t(index)].tag : TextRange();
        pane->ShowRange(tag.begin, tag.end, true);
    }
    // The caret moved by the mark above selects nothing new.
    m_bCaretMoved = false;
    viewport()->update(before);
    viewport()->update(SelectionBounds());
}

void CMapView::ApplyPaneEdit(const TextEdit& edit) {
    MarkupPane* pane = Pane();
    if (!pane) return;
    pane->ApplyEdit(edit);
    // Where the edit left the pane's caret selects nothing.
    m_bCaretMoved = false;
    const int selected = m_nSelected;
    RefreshAreas();
    if (selected >= 0 && selected == m_nSelected) SelectArea(selected);
}

const std::vector<double>& CMapView::SelectionCoords() const {
    if (const std::vector<double>* preview = m_selectTool.Preview()) return *preview;
    return m_overlay.Areas()[size_t(m_nSelected)].coords;
}

QRect CMapView::SelectionBounds() const {
    if (m_nSelected < 0) return QRect();
    const AreaTag& area = m_overlay.Areas()[size_t(m_nSelected)];
    return ClientBounds(GeometryOf(area.shape, SelectionCoords(), PictureSize()), Mapping(),
                        kHandleSize + 2);
}

void CMapView::PaintAreas(QPainter& painter, const QRect& r) const {
    const AreaMapping mapping = Mapping();
    if (m_bShowAreas) m_overlay.Paint(painter, mapping, r, m_nSelected);
    if (m_nSelected < 0) return;
    const AreaTag& area = m_overlay.Areas()[size_t(m_nSelected)];
    const std::vector<double>& coords = SelectionCoords();
    PaintOutline(painter, GeometryOf(area.shape, coords, PictureSize()), mapping, area.valid);
    PaintHandles(painter, HandlesOf(area.shape, coords), mapping);
}

int CMapView::AreaAt(QPoint client) const {
    if (!Picture() || !IsInsidePicture(client)) return -1;
    const QPointF at = Mapping().ToPictureF(client);
    return HitTestAreas(m_overlay.Areas(), at.x(), at.y());
}

std::string CMapView::HrefAt(QPoint client) const {
    if (!viewport()->rect().contains(client)) return {};
    const int hit = AreaAt(client);
    return hit >= 0 ? m_overlay.Areas()[size_t(hit)].href : std::string();
}

void CMapView::EditAreaLink(int index) {
    if (index < 0 || index >= m_overlay.Count()) return;
    const AreaTag area = m_overlay.Areas()[size_t(index)];
    std::string url = area.href, alt = area.alt;
    if (!AskLink(&url, &alt) || !AreasCurrent()) return;
    // Both values in one edit: one undo step.
    std::string after = m_parsedText;
    if (Changes(url, area.href, area.hasHref))
        after = ApplyEdit(after, SetAttributeEdit(after, area, "href", url));
    if (Changes(alt, area.alt, area.hasAlt)) {
        const std::vector<AreaTag> areas = ParseAreas(after);
        if (size_t(index) < areas.size())
            after = ApplyEdit(after, SetAttributeEdit(after, areas[size_t(index)], "alt", alt));
    }
    if (after != m_parsedText) ApplyPaneEdit(DiffEdit(m_parsedText, after));
}

// ---------------------------------------------------------------------------
// Context menu

void CMapView::contextMenuEvent(QContextMenuEvent* event) {
    // A right-click that ended a polygon or gave up a drag shows nothing.
    if (std::exchange(m_bMenuTaken, false) && event->reason() == QContextMenuEvent::Mouse) return;
    if (!Picture()) return;
    const QPoint client = event->pos();
    AreasCurrent();
    const int area = AreaAt(client);
    QMenu menu(this);
    const auto add = [&](const char* text, auto&& slot) {
        QAction* action = menu.addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    if (area >= 0) {
        if (m_nTool == kToolSelect && area != m_nSelected) SelectArea(area);
        add("編集 (&E)...", [this, area] { EditAreaLink(area); });
        add("削除 (&D)", [this, area] { DeleteArea(area); });
        add("複製 (&C)", [this, area] { DuplicateArea(area); });
        menu.addSeparator();
        add("前面へ (&F)", [this, area] { ReorderArea(area, true); });
        add("背面へ (&B)", [this, area] { ReorderArea(area, false); });
    } else {
        const struct {
            const char* text;
            int tool;
            void (CMapView::*slot)();
        } tools[] = {
            {"円 (&C)", kToolCircle, &CMapView::OnToolCircle},
            {"矩形 (&R)", kToolRect, &CMapView::OnToolRect},
            {"多角形 (&P)", kToolPolygon, &CMapView::OnToolPolygon},
            {"選択 (&S)", kToolSelect, &CMapView::OnToolSelect},
            {"輪郭 (&O)", kToolTrace, &CMapView::OnToolTrace},
        };
        for (const auto& t : tools) {
            QAction* action = add(t.text, t.slot);
            action->setCheckable(true);
            action->setChecked(m_nTool == t.tool);
        }
    }
    const QPoint global = viewport()->mapToGlobal(client);
    if (m_menuRunner)
        m_menuRunner(menu, global);
    else
        menu.exec(global);
}

void CMapView::DeleteArea(int index) {
    if (index < 0 || index >= m_overlay.Count() || !AreasCurrent()) return;
    const TextEdit edit = DeleteAreaEdit(m_parsedText, m_overlay.Areas()[size_t(index)]);
    SelectArea(-1);
    ApplyPaneEdit(edit);
}

void CMapView::DuplicateArea(int index) {
    if (index < 0 || index >= m_overlay.Count() || !AreasCurrent()) return;
    constexpr int kCopyOffset = 10;
    const QSize size = PictureSize();
    const TextEdit edit = DuplicateAreaEdit(m_parsedText, m_overlay.Areas()[size_t(index)],
                                            kCopyOffset, kCopyOffset, size.width(), size.height());
    if (edit.inserted.empty()) return;
    ApplyPaneEdit(edit);
    if (m_nTool == kToolSelect) SelectArea(index + 1);
}

void CMapView::ReorderArea(int index, bool earlier) {
    if (index < 0 || index >= m_overlay.Count() || !AreasCurrent()) return;
    const TextEdit edit = ReorderAreaEdit(m_parsedText, m_overlay.Areas(), size_t(index), earlier);
    if (edit.removed == 0 && edit.inserted.empty()) return;
    ApplyPaneEdit(edit);
    if (m_nTool == kToolSelect) SelectArea(earlier ? index - 1 : index + 1);
}
