// SPDX-License-Identifier: GPL-3.0-or-later
// The map view: the picture inside scroll bars, zoom, auto-scroll at the
// edges while a button is held, the readout, and the mouse and keys handed
// to the current tool. Painting is in map_view_paint.cpp, the areas and the
// selection in map_view_select.cpp, the tools in tools/.

#include "view/map_view.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <utility>

#include "doc/map_doc.h"
#include "doc/readout.h"
#include "doc/settings.h"
#include "image/image.h"

namespace {

// A client point: the floor of the position in logical pixels.
QPoint ClientPointOf(const QMouseEvent* event) {
    const QPointF pos = event->position();
    return QPoint(static_cast<int>(std::floor(pos.x())), static_cast<int>(std::floor(pos.y())));
}

// How far from an edge the mouse starts the view scrolling, in client
// pixels, and how often it scrolls while the button is held.
constexpr int kAutoScrollEdge = 16;
constexpr int kAutoScrollMs = 30;

// The scroll of one step along one axis for a mouse at `at` in a view
// `length` pixels long: none away from the edges, more the farther out.
int AutoScrollSpeed(int at, int length) {
    int depth = 0;
    if (at < kAutoScrollEdge)
        depth = kAutoScrollEdge - at;
    else if (at >= length - kAutoScrollEdge)
        depth = at - (length - kAutoScrollEdge) + 1;
    if (depth <= 0) return 0;
    const int speed = std::min(2 + depth / 2, 200);
    return at < kAutoScrollEdge ? -speed : speed;
}

}  // namespace

CMapView::CMapView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setMouseTracking(true);
    // A click gives the view the keys (arrows and Delete for a selection).
    setFocusPolicy(Qt::StrongFocus);
    // The view paints every pixel it is asked for: the picture, and the
    // window colour wherever the picture does not cover.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    UpdateScrollSizes();
    // Edits of the pane come in bursts (typing, pasting): the areas are read
    // once the burst pauses.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(20);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CMapView::RefreshAreas);
    m_autoScroll.setInterval(kAutoScrollMs);
    connect(&m_autoScroll, &QTimer::timeout, this, &CMapView::AutoScrollStep);
    m_pyramidTimer.setInterval(0);
    connect(&m_pyramidTimer, &QTimer::timeout, this, &CMapView::PyramidStep);
    m_bCheckerboard = GetViewSwitch(ViewSwitch::kCheckerboard);
    // The zoom last chosen.
    const std::string zoom = GetZoomSetting();
    if (zoom == kZoomFitSetting)
        m_bFit = true;
    else if (const auto level = ZoomScale::Parse(zoom))
        m_zoom = *level;
}

CMapView::~CMapView() = default;

void CMapView::SetDocument(CMapDoc* doc) {
    m_pDoc = doc;
    OnInitialUpdate();
}

const CImage* CMapView::Picture() const {
    if (!m_pDoc || !m_pDoc->m_pImage) return nullptr;
    const CImage* image = m_pDoc->m_pImage.get();
    return image->GetWidth() > 0 && image->GetHeight() > 0 ? image : nullptr;
}

void CMapView::OnInitialUpdate() {
    m_outlineTool.Forget();
    // The readout and link of the picture that went mean nothing now.
    if (std::exchange(m_ptReadout, std::nullopt)) ShowStatus(QString());
    RebuildCache();
    SelectArea(-1);
    RefreshAreas();
    if (m_bFit) OnZoomFit();
    UpdateScrollSizes();
    viewport()->update();
}

QSize CMapView::ScrollTotalSize() const {
    const CImage* image = Picture();
    if (!image) return QSize(0, 0);
    const auto clamp = [](int64_t v) { return static_cast<int>(std::min<int64_t>(v, INT32_MAX)); };
    return QSize(clamp(m_zoom.ViewLength(image->GetWidth())),
                 clamp(m_zoom.ViewLength(image->GetHeight())));
}

QPoint CMapView::GetScrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CMapView::UpdateScrollSizes() {
    const QSize total = ScrollTotalSize();
    const QSize page = viewport()->size();
    QScrollBar* bars[2] = {horizontalScrollBar(), verticalScrollBar()};
    const int totals[2] = {total.width(), total.height()};
    const int pages[2] = {page.width(), page.height()};
    for (int i = 0; i < 2; ++i) {
        bars[i]->setPageStep(std::max(1, pages[i]));
        bars[i]->setSingleStep(std::max(1, totals[i] / 100));
        bars[i]->setRange(0, std::max(0, totals[i] - pages[i]));
    }
}

void CMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_bFit && Picture()) {
        OnZoomFit();
        return;
    }
    UpdateScrollSizes();
}

void CMapView::scrollContentsBy(int dx, int dy) {
    // The mouse stays while the picture moves under it: a drag of the
    // selection follows.
    m_tool->Scrolled(m_ptMouse);
    UpdateHovered(m_ptHovered);
    // An outline drawn by hand moves with the picture, yet its end at the
    // mouse does not: everything is painted again.
    if (CurrentOutline().kind != Outline::kNone) {
        viewport()->update();
        return;
    }
    // What is on screen moves with the picture; only the uncovered strip is
    // painted. The edge line keeps its client position, yet it is on screen
    // only along a side that cannot scroll (the picture fits that way), and
    // it spans the whole window along the side that does: shifting along its
    // own length leaves it where it was.
    viewport()->scroll(dx, dy);
}

// ---------------------------------------------------------------------------
// The current tool

CMapView::Outline CMapView::CurrentOutline() const {
    return m_tool->Outline();
}

CMapTool* CMapView::ToolObject(int tool) {
    switch (tool) {
        case kToolCircle:
        case kToolRect:
            return &m_rectTool;
        case kToolPolygon:
            return &m_polygonTool;
        case kToolSelect:
            return &m_selectTool;
        default:
            return &m_outlineTool;
    }
}

bool CMapView::InWindow(QPoint client) const {
    return viewport()->rect().contains(client);
}

void CMapView::RepaintAll() {
    viewport()->update();
}

// ---------------------------------------------------------------------------
// Commands

void CMapView::SetTool(int tool) {
    // A rubber band under way goes with its tool; circle and rectangle
    // share it.
    if (tool != kToolCircle && tool != kToolRect) m_rectTool.Cancel();
    m_rectTool.SetCircle(tool == kToolCircle);
    // The outline tool traces nothing while it is put down.
    if (tool != kToolTrace) m_outlineTool.Clear();
    m_nTool = tool;
    m_tool = ToolObject(tool);
    if (tool != kToolSelect) SelectArea(-1);
    viewport()->update();
    emit toolChanged(tool);
    emit commandStateChanged();
}

void CMapView::OnToolCircle() {
    SetTool(kToolCircle);
}
void CMapView::OnToolRect() {
    SetTool(kToolRect);
}
void CMapView::OnToolPolygon() {
    SetTool(kToolPolygon);
}
void CMapView::OnToolSelect() {
    SetTool(kToolSelect);
}
void CMapView::OnToolTrace() {
    m_outlineTool.Forget();  // the tolerance may have changed since
    SetTool(kToolTrace);
}
void CMapView::OnTraceToleranceChanged() {
    m_outlineTool.ToleranceChanged();
}

// ---------------------------------------------------------------------------
// Mouse

QString CMapView::ReadoutText(QPoint client) const {
    const QPoint scroll = GetScrollPosition();
    const bool inWindow = viewport()->rect().contains(client);
    return QString::fromStdString(
        FormatReadout(Picture(), client.x(), client.y(), scroll.x(), scroll.y(), m_zoom, inWindow));
}

void CMapView::ShowStatus(const QString& text) {
    emit statusMessage(text);
}

QPoint CMapView::Vertex(int i) const {
    return Mapping().ToClient(m_polygonTool.Placed(i));
}

QPoint CMapView::AnchorPoint() const {
    return Mapping().ToClient(m_rectTool.Anchor());
}

QPoint CMapView::LastPoint() const {
    return m_nTool == kToolPolygon ? m_polygonTool.LastPoint() : m_rectTool.LastPoint();
}

void CMapView::ShowReadout(QPoint client, bool changedOnly) {
    m_ptReadout = client;
    QString readout = ReadoutText(client);
    // Over an area the readout ends with its link.
    if (const std::string href = HrefAt(client); !href.empty() && readout.trimmed().size() > 0)
        readout += QStringLiteral("  ") + QString::fromStdString(href);
    // The first time areas overlap under the pointer the readout says how
    // to reach the covered ones, for as long as the pointer stays there.
    if (m_overlapHint != OverlapHint::kTold) {
        const bool overlap = AreasUnder(client) >= 2;
        if (overlap) {
            m_overlapHint = OverlapHint::kTelling;
            readout += QString::fromUtf8(
                "  重なった領域: 選択ツールでクリックした後 Tab / Shift+Tab (または Alt+クリック) "
                "で切り替え");
        } else if (m_overlapHint == OverlapHint::kTelling) {
            m_overlapHint = OverlapHint::kTold;
        }
    }
    if (changedOnly && readout == m_strReadout) return;
    m_strReadout = readout;
    ShowStatus(readout);
}

void CMapView::mouseMoveEvent(QMouseEvent* event) {
    m_modifiers = event->modifiers();
    const QPoint point = ClientPointOf(event);
    m_ptMouse = point;
    if (!Picture()) return;
    UpdateAutoScroll();
    ShowReadout(point);
    UpdateHovered(point);
    m_tool->Move(point);
    UpdateAutoScroll();  // the move may have started a drag
}

void CMapView::UpdateHovered(std::optional<QPoint> client) {
    m_ptHovered = client;
    const int area = client && InWindow(*client) ? AreaAt(*client) : -1;
    if (area == std::exchange(m_nHovered, area)) return;
    emit hoveredAreaChanged(area);
}

bool CMapView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        // What the tool shows under the mouse goes with it, and so does the
        // readout of the point it left.
        m_tool->Leave();
        UpdateHovered(std::nullopt);
        m_ptReadout.reset();
        if (!m_strReadout.isEmpty()) {
            m_strReadout.clear();
            ShowStatus(QString());
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CMapView::mousePressEvent(QMouseEvent* event) {
    m_modifiers = event->modifiers();
    const QPoint point = ClientPointOf(event);
    m_ptMouse = point;
    m_bMenuTaken = event->button() == Qt::RightButton && RightClick(point);
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_tool->Press(point);
}

void CMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_modifiers = event->modifiers();
    const QPoint point = ClientPointOf(event);
    m_ptMouse = point;
    m_autoScroll.stop();
    m_tool->Release(point);
}

void CMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_modifiers = event->modifiers();
    m_tool->DoubleClick(ClientPointOf(event));
}

bool CMapView::focusNextPrevChild(bool next) {
    // Tab and Shift+Tab step through the areas under the last click while
    // there is more than one; otherwise they move the focus.
    if (m_tool == &m_selectTool && m_selectTool.CycleLastClick(next)) return true;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void CMapView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && CancelDrawing()) return;
    m_modifiers = event->modifiers();
    // Copies of areas travel as their tags' text.
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        switch (event->key()) {
            case Qt::Key_C:
                CopySelection();
                return;
            case Qt::Key_X:
                CutSelection();
                return;
            case Qt::Key_V:
                PasteAreas();
                return;
            case Qt::Key_D:
                DuplicateSelection();
                return;
            default:
                break;
        }
    }
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && m_tool->Key(event->key()))
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

bool CMapView::CancelDrawing() {
    m_autoScroll.stop();
    return m_tool->Cancel();
}

bool CMapView::RightClick(QPoint client) {
    return m_tool->RightClick(client);
}

bool CMapView::ButtonDragging() const {
    return m_tool->ButtonDragging();
}

void CMapView::UpdateAutoScroll() {
    const bool due = ButtonDragging() && (AutoScrollSpeed(m_ptMouse.x(), viewport()->width()) ||
                                          AutoScrollSpeed(m_ptMouse.y(), viewport()->height()));
    if (!due)
        m_autoScroll.stop();
    else if (!m_autoScroll.isActive())
        m_autoScroll.start();
}

void CMapView::AutoScrollStep() {
    // A release that never came (the grab lost to another window) stops it.
    if (!ButtonDragging() || QGuiApplication::mouseButtons() == Qt::NoButton) {
        m_autoScroll.stop();
        return;
    }
    QScrollBar* across = horizontalScrollBar();
    QScrollBar* down = verticalScrollBar();
    across->setValue(across->value() + AutoScrollSpeed(m_ptMouse.x(), viewport()->width()));
    down->setValue(down->value() + AutoScrollSpeed(m_ptMouse.y(), viewport()->height()));
}

bool CMapView::IsInsidePicture(QPoint client) const {
    const QSize total = ScrollTotalSize();
    return client.x() >= 0 && client.y() >= 0 && client.x() <= total.width() &&
           client.y() <= total.height();
}

// ---------------------------------------------------------------------------
// Finished areas

bool CMapView::AskLink(std::string* url, std::string* alt) {
    m_pendingLink = {};
    if (!m_areaLinkPrompt) return m_linkPrompt && m_linkPrompt(url, alt);
    AreaLink link;
    link.href = *url;
    link.alt = *alt;
    if (!m_areaLinkPrompt(&link)) return false;
    *url = link.href;
    *alt = link.alt;
    m_pendingLink = std::move(link);
    return true;
}

void CMapView::InsertLine(const std::string& line) {
    MarkupPane* pane = Pane();
    const AreaLink link = std::exchange(m_pendingLink, {});
    if (!pane) return;
    m_inserter.Insert(*pane, WithMoreAttributes(line, link), ReadMarkupSettings());
    // The outlines follow once the burst of changes is over.
    OnPaneChanged();
}
