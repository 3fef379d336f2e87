// SPDX-License-Identifier: GPL-3.0-or-later
// The areas of the pane on the picture: read again after each change of the
// pane text, outlined, and edited through the selection tool
// (tools/select_tool.cpp) and the context menu. Every change goes back as
// one edit of the pane text, one step of its undo history.

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "doc/map_doc.h"
#include "doc/settings.h"
#include "markup/area_attributes.h"
#include "markup/markup_pane.h"
#include "view/map_view.h"
#include "view/selection_handles.h"

namespace {

// Copies land this far right and down of their originals, in picture pixels.
constexpr int kCopyOffset = 10;

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
        const QRect selectionBefore = SelectionBounds();
        // Typing reads again only from the first changed byte on.
        size_t kept = 0;
        std::vector<AreaTag> areas =
            size == m_parsedSize ? UpdateAreas(m_overlay.TakeAreas(), m_parsedText, text, &kept)
                                 : ParseAreas(text);
        const bool samePicture = size == m_parsedSize;
        m_parsedText = std::move(text);
        m_parsedSize = size;
        const QRectF changed = m_overlay.SetAreas(std::move(areas), size, kept);
        if (pane) m_inserter.Learn(*pane, m_parsedText);
        m_selectTool.Forget();
        const std::vector<int> selected = m_selection;
        if (m_nSelected >= m_overlay.Count()) m_nSelected = -1;
        std::erase_if(m_selection, [this](int i) { return i >= m_overlay.Count(); });
        if (pane) {
            // The tag's bytes may have moved: its mark follows.
            const TextRange tag =
                m_nSelected >= 0 ? m_overlay.Areas()[size_t(m_nSelected)].tag : TextRange();
            pane->ShowRange(tag.begin, tag.end, false);
        }
        // Only the outlines the edit changed are painted again: a keystroke
        // in an alt beside thousands of areas repaints none of them.
        if (samePicture) {
            viewport()->update(OutlineBounds(changed));
            if (selectionBefore != SelectionBounds()) {
                viewport()->update(selectionBefore);
                viewport()->update(SelectionBounds());
            }
        } else {
            viewport()->update();
        }
        // The link in the readout follows the areas.
        if (m_ptReadout && Picture()) ShowReadout(*m_ptReadout, true);
        UpdateHovered(m_ptHovered);
        NotifySelection(selected);
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
    if (found == m_nSelected && m_selection.size() <= 1) return;
    const QRect before = SelectionBounds();
    const std::vector<int> selected = m_selection;
    m_nSelected = found;
    m_selection = found >= 0 ? std::vector<int>{found} : std::vector<int>{};
    NotifySelection(selected);
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
    SetSelection(index >= 0 ? std::vector<int>{index} : std::vector<int>{}, index);
}

void CMapView::SelectAreas(const QList<int>& areas) {
    SetSelection(std::vector<int>(areas.begin(), areas.end()), areas.isEmpty() ? -1 : areas.last());
}

QList<int> CMapView::SelectedAreas() const {
    return QList<int>(m_selection.begin(), m_selection.end());
}

void CMapView::NotifySelection(const std::vector<int>& before) {
    if (before != m_selection) emit selectionChanged(SelectedAreas());
}

void CMapView::SetSelection(const std::vector<int>& areas, int primary) {
    std::vector<int> chosen;
    for (int i : areas)
        if (i >= 0 && i < m_overlay.Count()) chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    int index = std::find(chosen.begin(), chosen.end(), primary) != chosen.end() ? primary
                : chosen.empty()                                                 ? -1
                                                                                 : chosen.back();
    const QRect before = SelectionBounds();
    const std::vector<int> previous = std::exchange(m_selection, chosen);
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
    NotifySelection(previous);
}

void CMapView::ApplyPaneEdit(const TextEdit& edit) {
    MarkupPane* pane = Pane();
    if (!pane) return;
    pane->ApplyEdit(edit);
    // Where the edit left the pane's caret selects nothing.
    m_bCaretMoved = false;
    const int selected = m_nSelected;
    const std::vector<int> selection = m_selection;
    RefreshAreas();
    if (selected >= 0 && selected == m_nSelected) SetSelection(selection, selected);
}

std::vector<double> CMapView::SelectionCoords(int index) const {
    const AreaTag& area = m_overlay.Areas()[size_t(index)];
    if (m_selectTool.Moving())
        return MovedCoords(area.shape, area.coords, m_selectTool.MoveOffset());
    if (const std::vector<double>* preview = m_selectTool.Preview();
        preview && index == m_nSelected)
        return *preview;
    return area.coords;
}

QRect CMapView::OutlineBounds(const QRectF& picture) const {
    if (picture.isEmpty()) return QRect();
    const AreaMapping mapping = Mapping();
    const QPointF a = mapping.ToClient(picture.topLeft()),
                  z = mapping.ToClient(picture.bottomRight());
    // An area's number may stand beside it when the area is smaller than
    // the number's box; the pen takes a pixel more.
    const QFontMetrics metrics = viewport()->fontMetrics();
    const int margin = std::max(metrics.horizontalAdvance(QString::number(m_overlay.Count())) + 4,
                                metrics.height()) +
                       4;
    const auto clamp = [](double v) { return int(std::clamp(v, -1e9, 1e9)); };
    return QRect(QPoint(clamp(std::floor(a.x())), clamp(std::floor(a.y()))),
                 QPoint(clamp(std::ceil(z.x())), clamp(std::ceil(z.y()))))
        .adjusted(-margin, -margin, margin, margin)
        .intersected(viewport()->rect());
}

QRect CMapView::SelectionBounds() const {
    QRect bounds;
    for (int i : m_selection) {
        const AreaTag& area = m_overlay.Areas()[size_t(i)];
        bounds |= ClientBounds(GeometryOf(area.shape, SelectionCoords(i), PictureSize()), Mapping(),
                               kHandleSize + 2);
    }
    return bounds;
}

void CMapView::PaintGrid(QPainter& painter, const QRect& r) const {
    const int spacing = GridSpacing();
    const QSize size = PictureSize();
    if (spacing < 2 || size.isEmpty()) return;
    const AreaMapping mapping = Mapping();
    // Too dense to help: no dots closer than 4 pixels on screen.
    if (mapping.ToClient(QPointF(spacing, 0)).x() - mapping.ToClient(QPointF(0, 0)).x() < 4) return;
    const QPoint from = mapping.ToPicture(r.topLeft()), to = mapping.ToPicture(r.bottomRight());
    const int left = std::max(0, from.x() / spacing * spacing);
    const int top = std::max(0, from.y() / spacing * spacing);
    QPolygon dots;
    for (int y = top; y <= std::min(to.y() + 1, size.height()); y += spacing)
        for (int x = left; x <= std::min(to.x() + 1, size.width()); x += spacing)
            dots << mapping.ToClient(QPointF(x, y)).toPoint();
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawPoints(dots);
}

void CMapView::PaintAreas(QPainter& painter, const QRect& r) const {
    const AreaMapping mapping = Mapping();
    PaintGrid(painter, r);
    const AreaStyle style{GetViewSwitch(ViewSwitch::kAreaLabels),
                          GetViewSwitch(ViewSwitch::kAreaFill)};
    if (m_bShowAreas) m_overlay.Paint(painter, mapping, r, m_nSelected, style);
    // The area whose handles can be dragged comes last, over the others;
    // the selected ones more strongly filled.
    std::vector<int> order;
    for (int i : m_selection)
        if (i != m_nSelected) order.push_back(i);
    if (m_nSelected >= 0) order.push_back(m_nSelected);
    for (int i : order) {
        const AreaTag& area = m_overlay.Areas()[size_t(i)];
        const std::vector<double> coords = SelectionCoords(i);
        const AreaShapeGeometry shape = GeometryOf(area.shape, coords, PictureSize());
        if (style.fill) PaintFill(painter, shape, mapping, AreaColour(i), true);
        PaintOutline(painter, shape, mapping, area.valid);
        const bool primary = i == m_nSelected;
        PaintHandles(painter, HandlesOf(area.shape, coords), mapping,
                     primary ? m_selectTool.SelectedCorner() : -1, primary);
        if (style.labels) PaintLabel(painter, shape, FirstCorner(area), mapping, i);
    }
}

int CMapView::AreaAt(QPoint client) const {
    if (!Picture() || !IsInsidePicture(client)) return -1;
    const QPointF at = Mapping().ToPictureF(client);
    return HitTestAreas(m_overlay.Areas(), at.x(), at.y());
}

int CMapView::AreasUnder(QPoint client) const {
    if (!Picture() || !IsInsidePicture(client) || !viewport()->rect().contains(client)) return 0;
    const QPointF at = Mapping().ToPictureF(client);
    return int(AreasAtPoint(m_overlay.Areas(), at.x(), at.y()).size());
}

std::string CMapView::HrefAt(QPoint client) const {
    if (!viewport()->rect().contains(client)) return {};
    const int hit = AreaAt(client);
    return hit >= 0 ? m_overlay.Areas()[size_t(hit)].href : std::string();
}

void CMapView::EditAreaLink(int index) {
    if (index < 0 || index >= m_overlay.Count()) return;
    const AreaTag area = m_overlay.Areas()[size_t(index)];
    if (m_areaLinkPrompt) {
        const AreaLink before = AreaLinkOf(m_parsedText, area);
        AreaLink after = before;
        if (!m_areaLinkPrompt(&after) || !AreasCurrent()) return;
        const TextEdit edit = SetAreaLinkEdit(m_parsedText, area, before, after);
        if (edit.removed || !edit.inserted.empty()) ApplyPaneEdit(edit);
        return;
    }
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
        const bool inSelection =
            std::find(m_selection.begin(), m_selection.end(), area) != m_selection.end();
        if (m_nTool == kToolSelect && !inSelection) SelectArea(area);
        // Several selected: removal and copies act on all of them.
        const bool several = inSelection && m_selection.size() > 1;
        add("編集 (&E)...", [this, area] { EditAreaLink(area); });
        if (several) {
            add("削除 (&D)", [this] { DeleteSelection(); });
            add("複製 (&C)", [this] { DuplicateSelection(); });
            menu.addSeparator();
            FillArrangeMenu(&menu);
        } else {
            add("削除 (&D)", [this, area] { DeleteArea(area); });
            add("複製 (&C)", [this, area] { DuplicateArea(area); });
        }
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

// ---------------------------------------------------------------------------
// Commands on several areas

void CMapView::FillArrangeMenu(QMenu* menu) {
    const size_t count = m_selection.size();
    const auto add = [&](QMenu* to, const char* text, size_t least, auto&& slot) {
        QAction* action = to->addAction(QString::fromUtf8(text));
        action->setEnabled(count >= least && Picture());
        connect(action, &QAction::triggered, this, slot);
    };
    QMenu* align = menu->addMenu(QString::fromUtf8("揃える (&A)"));
    const struct {
        const char* text;
        AreaAlign how;
    } aligns[] = {
        {"左 (&L)", AreaAlign::kLeft},          {"右 (&R)", AreaAlign::kRight},
        {"上 (&T)", AreaAlign::kTop},           {"下 (&B)", AreaAlign::kBottom},
        {"左右中央 (&C)", AreaAlign::kCentreX}, {"上下中央 (&M)", AreaAlign::kCentreY},
    };
    for (const auto& a : aligns)
        add(align, a.text, 2, [this, how = a.how] { AlignSelection(how); });
    QMenu* size = menu->addMenu(QString::fromUtf8("同じ大きさ (&Z)"));
    add(size, "幅 (&W)", 2, [this] { SameSizeSelection(true); });
    add(size, "高さ (&H)", 2, [this] { SameSizeSelection(false); });
    QMenu* space = menu->addMenu(QString::fromUtf8("等間隔 (&Q)"));
    add(space, "横 (&H)", 3, [this] { SpaceSelection(true); });
    add(space, "縦 (&V)", 3, [this] { SpaceSelection(false); });
}

bool CMapView::ReadAreas() {
    AreasCurrent();
    return Pane() && Picture();
}

void CMapView::ApplyToSelection(const TextEdit& edit) {
    if (edit.removed == 0 && edit.inserted.empty()) return;
    ApplyPaneEdit(edit);
}

void CMapView::AlignSelection(AreaAlign how) {
    if (!ReadAreas()) return;
    ApplyToSelection(AlignAreasEdit(m_parsedText, m_overlay.Areas(), m_selection, how));
}

void CMapView::SameSizeSelection(bool width) {
    if (!ReadAreas()) return;
    // The area whose handles show gives the size.
    std::vector<int> order = {m_nSelected};
    for (int i : m_selection)
        if (i != m_nSelected) order.push_back(i);
    ApplyToSelection(SameSizeEdit(m_parsedText, m_overlay.Areas(), order, width));
}

void CMapView::SpaceSelection(bool horizontal) {
    if (!ReadAreas()) return;
    ApplyToSelection(SpaceAreasEdit(m_parsedText, m_overlay.Areas(), m_selection, horizontal));
}

void CMapView::DeleteSelection() {
    if (m_selection.empty() || !AreasCurrent()) return;
    const TextEdit edit = DeleteAreasEdit(m_parsedText, m_overlay.Areas(), m_selection);
    SelectArea(-1);
    ApplyToSelection(edit);
}

void CMapView::CopySelection() {
    if (!ReadAreas() || m_selection.empty()) return;
    const std::string text = CopyAreasText(m_parsedText, m_overlay.Areas(), m_selection);
    if (!text.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void CMapView::CutSelection() {
    CopySelection();
    DeleteSelection();
}

void CMapView::PasteAreas() {
    if (!ReadAreas()) return;
    const QSize size = PictureSize();
    size_t count = 0;
    const std::string lines =
        PastedAreaLines(QGuiApplication::clipboard()->text().toStdString(), kCopyOffset,
                        kCopyOffset, size.width(), size.height(), &count);
    if (count == 0) return;
    const TextEdit edit = InsertAreaLineEdit(m_parsedText, lines, ReadMarkupSettings());
    ApplyPaneEdit(edit);
    // The new tags are those that stand inside the inserted bytes.
    std::vector<int> pasted;
    const size_t end = edit.begin + edit.inserted.size();
    for (int i = 0; i < m_overlay.Count(); ++i) {
        const TextRange& tag = m_overlay.Areas()[size_t(i)].tag;
        if (tag.begin >= edit.begin && tag.end <= end) pasted.push_back(i);
    }
    if (m_nTool != kToolSelect) OnToolSelect();
    SetSelection(pasted, pasted.empty() ? -1 : pasted.back());
}

void CMapView::DuplicateSelection() {
    if (m_selection.empty() || !AreasCurrent()) return;
    const QSize size = PictureSize();
    const std::vector<int> originals = m_selection;
    ApplyToSelection(DuplicateAreasEdit(m_parsedText, m_overlay.Areas(), originals, kCopyOffset,
                                        kCopyOffset, size.width(), size.height()));
    std::vector<int> copies;
    for (size_t k = 0; k < originals.size(); ++k) copies.push_back(originals[k] + int(k) + 1);
    if (m_nTool == kToolSelect) SetSelection(copies, copies.back());
}

int CMapView::GridSpacing() const {
    return GetGridSetting() ? GetGridSpacingSetting() : 0;
}

void CMapView::SelectAllAreas() {
    if (!ReadAreas()) return;
    if (m_nTool != kToolSelect) OnToolSelect();
    std::vector<int> all(size_t(m_overlay.Count()));
    std::iota(all.begin(), all.end(), 0);
    SetSelection(all, all.empty() ? -1 : all.back());
}

QString CMapView::SelectedCoordsText() {
    if (!ReadAreas() || m_nSelected < 0) return QString();
    QStringList numbers;
    for (double v : m_overlay.Areas()[size_t(m_nSelected)].coords)
        numbers << QString::number(v, 'g', 12);
    return numbers.join(QLatin1Char(','));
}

bool CMapView::SetSelectedCoords(const QString& text) {
    if (!ReadAreas() || m_nSelected < 0) return false;
    const AreaTag& area = m_overlay.Areas()[size_t(m_nSelected)];
    std::vector<int> coords;
    for (const QString& part :
         text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (!ok || v < -1000000 || v > 1000000) return false;
        coords.push_back(v);
    }
    const size_t n = coords.size();
    const bool fits = area.shape == AreaShape::kRect     ? n == 4
                      : area.shape == AreaShape::kCircle ? n == 3 && coords[2] >= 0
                      : area.shape == AreaShape::kPoly   ? n >= 6 && n % 2 == 0
                                                         : false;
    if (!fits) return false;
    ApplyPaneEdit(SetCoordsEdit(m_parsedText, area, coords));
    return true;
}

void CMapView::OnGridChanged() {
    viewport()->update();
}

void CMapView::OnShownChanged() {
    m_bCheckerboard = GetViewSwitch(ViewSwitch::kCheckerboard);
    viewport()->update();
}
