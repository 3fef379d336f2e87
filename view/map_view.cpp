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
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <utility>

#include "document/map_doc.h"
#include "document/readout.h"
#include "document/settings.h"
#include "image/image.h"
#include "view/tools/outline_tool.h"
#include "view/tools/polygon_tool.h"
#include "view/tools/rect_tool.h"

namespace {

// A client point: the floor of the position in logical pixels.
QPoint ClientPointOf(const QMouseEvent* event) {
    const QPointF pos = event->position();
    return QPoint(static_cast<int>(std::floor(pos.x())), static_cast<int>(std::floor(pos.y())));
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
    for (const ToolDescriptor* row : MapTools())
        m_tools[size_t(row->id)] = row->make(*this, m_areas);
    m_tool = m_tools[size_t(m_nTool)].get();
    UpdateScrollSizes();
    connect(&m_areas, &CMapAreas::selectionChanged, this, &CMapView::selectionChanged);
    connect(&m_cache, &CPictureCache::pyramidBuilt, this, [this] {
        if (m_zoom.num < m_zoom.den) viewport()->update();
    });
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
    OutlineTool().Forget();
    // The readout and link of the picture that went mean nothing now.
    if (std::exchange(m_ptReadout, std::nullopt)) ShowStatus(QString());
    RebuildCache();
    m_areas.SelectArea(-1);
    m_areas.RefreshAreas();
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
    if (CurrentOutline().kind != ToolOutline::kNone) {
        viewport()->update();
        return;
    }
    // What is on screen moves with the picture; only the uncovered strip is
    // put together in the block of what is shown (the rest of the block
    // stays where it is) and painted. The edge line keeps its client
    // position, yet it is on screen only along a side that cannot scroll
    // (the picture fits that way), and it spans the whole window along the
    // side that does: shifting along its own length leaves it where it was.
    m_bScrolled = true;
    viewport()->scroll(dx, dy);
}

// ---------------------------------------------------------------------------
// The current tool

CRectTool& CMapView::RectTool() const {
    return static_cast<CRectTool&>(*m_tools[m_nTool == kToolCircle ? kToolCircle : kToolRect]);
}
CPolygonTool& CMapView::PolygonTool() const {
    return static_cast<CPolygonTool&>(*m_tools[kToolPolygon]);
}
COutlineTool& CMapView::OutlineTool() const {
    return static_cast<COutlineTool&>(*m_tools[kToolTrace]);
}
bool CMapView::IsDragging() const {
    return RectTool().IsDragging();
}
int CMapView::VertexCount() const {
    return PolygonTool().VertexCount();
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
    if (tool < 0 || tool >= tool_id::kCount) return;
    // What the tool put down was drawing goes with it; an open polygon
    // waits for its tool to come back.
    if (tool != m_nTool) m_tool->PutDown();
    m_nTool = tool;
    m_tool = m_tools[size_t(tool)].get();
    m_tool->TakeUp();
    if (tool != kToolSelect) m_areas.SelectArea(-1);
    viewport()->update();
    emit commandStateChanged();
}

void CMapView::OnTraceToleranceChanged() {
    OutlineTool().ToleranceChanged();
}

// ---------------------------------------------------------------------------
// Mouse

QString CMapView::ReadoutText(QPoint client) const {
    const QPoint scroll = GetScrollPosition();
    const bool inWindow = viewport()->rect().contains(client);
    return QString::fromStdString(
        FormatReadout(Picture(), client.x(), client.y(), scroll.x(), scroll.y(), m_zoom, inWindow));
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
    m_autoScroll.Follow(point);
    ShowReadout(point);
    UpdateHovered(point);
    m_tool->Move(point);
    m_autoScroll.Follow(point);  // the move may have started a drag
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
    m_bMenuTaken = event->button() == Qt::RightButton && m_tool->RightClick(point);
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
    m_autoScroll.Stop();
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
    if (m_nTool == kToolSelect && SelectTool().CycleLastClick(next)) return true;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void CMapView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        m_autoScroll.Stop();
        if (m_tool->Cancel()) return;
    }
    m_modifiers = event->modifiers();
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && m_tool->Key(event->key()))
        return;
    // A tool's key takes it up here, not as a shortcut of the window: the
    // letters stay the menus' mnemonics and the pane's and the area list's
    // typing.
    if (const ToolDescriptor* tool = ToolForKey(event->keyCombination())) {
        SetTool(tool->id);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CMapView::contextMenuEvent(QContextMenuEvent* event) {
    // A right-click that ended a polygon or gave up a drag shows nothing.
    if (std::exchange(m_bMenuTaken, false) && event->reason() == QContextMenuEvent::Mouse) return;
    if (Picture()) emit menuWanted(event->pos());
}

bool CMapView::IsInsidePicture(QPoint client) const {
    const QSize total = ScrollTotalSize();
    return client.x() >= 0 && client.y() >= 0 && client.x() <= total.width() &&
           client.y() <= total.height();
}

// ---------------------------------------------------------------------------
// Finished areas

void CMapView::InsertLine(const std::string& line, const AreaLink& link) {
    m_areas.InsertLine(line, link);
}
