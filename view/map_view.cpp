#include "view/map_view.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/image.h"
#include "image/render.h"
#include "markup/map_doc.h"
#include "markup/readout.h"

namespace {

// Command ids of the view.
constexpr int kCmdToolCircle = 32772;
constexpr int kCmdToolRect = 32774;
constexpr int kCmdToolPolygon = 32775;
constexpr int kCmdZoomNormal = 32780;
constexpr int kCmdZoomDouble = 32781;

// A client point: the floor of the position in logical pixels.
QPoint ClientPoint(const QMouseEvent* event) {
    const QPointF pos = event->position();
    return QPoint(static_cast<int>(std::floor(pos.x())), static_cast<int>(std::floor(pos.y())));
}

}  // namespace

CMapView::CMapView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setMouseTracking(true);
    // The view paints every pixel it is asked for: the picture, and the
    // window colour wherever the picture does not cover.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    UpdateScrollSizes();
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
    RebuildCache();
    UpdateScrollSizes();
    viewport()->update();
}

void CMapView::OnUpdate() {
    RebuildCache();
    UpdateScrollSizes();
    viewport()->update();
}

void CMapView::RebuildCache() {
    m_cache = QImage();
    const CImage* image = Picture();
    m_cachedFor = image;
    if (!image) return;
    const int w = image->GetWidth(), h = image->GetHeight();
    QImage pixels(w, h, QImage::Format_ARGB32);
    if (pixels.isNull()) return;  // no memory for the display copy: nothing shows
    auto* bits = reinterpret_cast<uint32_t*>(pixels.bits());
    const int stride = static_cast<int>(pixels.bytesPerLine() / 4);
    if (!RenderArgb32(*image, bits, stride)) return;

    // Transparent pixels come with alpha 0: clear their colour so that the
    // block is valid premultiplied data and the window colour shows through.
    // Pictures without any are drawn as plain opaque pixels.
    bool transparent = false;
    const CImageImpl* impl = image->GetImpl();
    if (impl && impl->transparentIndex >= 0 && image->GetDepth() <= 8) {
        for (int row = 0; row < h; ++row) {
            uint32_t* p = bits + static_cast<size_t>(row) * static_cast<size_t>(stride);
            for (int x = 0; x < w; ++x) {
                if ((p[x] >> 24) == 0) {
                    p[x] = 0;
                    transparent = true;
                }
            }
        }
    }
    pixels.reinterpretAsFormat(transparent ? QImage::Format_ARGB32_Premultiplied
                                           : QImage::Format_RGB32);
    m_cache = std::move(pixels);
}

QSize CMapView::ScrollTotalSize() const {
    const CImage* image = Picture();
    if (!image) return QSize(0, 0);
    return QSize(m_nZoom * image->GetWidth(), m_nZoom * image->GetHeight());
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
    UpdateScrollSizes();
}

void CMapView::scrollContentsBy(int, int) {
    // The black edge line stays at its client position while the picture
    // moves, so the whole window is painted again rather than shifted.
    viewport()->update();
}

// ---------------------------------------------------------------------------
// Painting

void CMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRegion& exposed = event->region();
    const QBrush background = viewport()->palette().brush(viewport()->backgroundRole());

    const CImage* image = Picture();
    if (!image) {
        for (const QRect& r : exposed) painter.fillRect(r, background);
        return;
    }
    if (m_cachedFor != image || m_cache.width() != image->GetWidth() ||
        m_cache.height() != image->GetHeight())
        RebuildCache();

    const int zoom = m_nZoom;
    const QPoint scroll = GetScrollPosition();
    const QSize total = ScrollTotalSize();
    const QRect pictureRect(-scroll.x(), -scroll.y(), total.width(), total.height());

    // The window colour where the picture does not cover, and under
    // transparent pixels.
    QRegion uncovered = exposed;
    if (!m_cache.isNull() && !m_cache.hasAlphaChannel()) uncovered -= pictureRect;
    for (const QRect& r : uncovered) painter.fillRect(r, background);

    // The picture, only where exposed: whole picture pixels covering each
    // exposed rectangle, scaled by the zoom without smoothing.
    if (!m_cache.isNull()) {
        for (const QRect& r : exposed) {
            const QRect target = r & pictureRect;
            if (target.isEmpty()) continue;
            const int x0 = (target.left() + scroll.x()) / zoom;
            const int y0 = (target.top() + scroll.y()) / zoom;
            const int x1 = (target.right() + scroll.x()) / zoom;
            const int y1 = (target.bottom() + scroll.y()) / zoom;
            const QRect source(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
            const QRect dest(x0 * zoom - scroll.x(), y0 * zoom - scroll.y(), source.width() * zoom,
                             source.height() * zoom);
            painter.drawImage(dest, m_cache, source);
        }
    }

    // A black line along the row just below and the column just right of the
    // picture as it lies unscrolled.
    const int w = total.width(), h = total.height();
    painter.fillRect(QRect(0, h, w, 1), Qt::black);
    painter.fillRect(QRect(w, 0, 1, h + 1), Qt::black);

    DrawOutline(painter);
}

void CMapView::DrawOutline(QPainter&) const {}

QRegion CMapView::OutlineRegion() const {
    return QRegion();
}

// ---------------------------------------------------------------------------
// Commands

bool CMapView::IsCommandChecked(int id) const {
    switch (id) {
        case kCmdToolCircle:
            return m_nTool == kToolCircle;
        case kCmdToolRect:
            return m_nTool == kToolRect;
        case kCmdToolPolygon:
            return m_nTool == kToolPolygon;
        case kCmdZoomNormal:
            return m_nZoom == 1;
        case kCmdZoomDouble:
            return m_nZoom == 2;
        default:
            return false;
    }
}

void CMapView::SetTool(int tool) {
    m_nTool = tool;
    viewport()->update();
    emit commandStateChanged();
}

void CMapView::SetZoom(int zoom) {
    // The scroll position keeps its value in pixels; a drag or an open
    // polygon keeps its client points.
    m_nZoom = zoom;
    UpdateScrollSizes();
    viewport()->update();
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
void CMapView::OnZoomNormal() {
    SetZoom(1);
}
void CMapView::OnZoomDouble() {
    SetZoom(2);
}
void CMapView::OnTransfer() {}

// ---------------------------------------------------------------------------
// Mouse

QString CMapView::ReadoutText(QPoint client) const {
    const QPoint scroll = GetScrollPosition();
    const bool inWindow = viewport()->rect().contains(client);
    return QString::fromStdString(FormatReadout(Picture(), client.x(), client.y(), scroll.x(),
                                                scroll.y(), m_nZoom, inWindow));
}

void CMapView::ShowStatus(const QString& text) {
    if (m_statusSink) {
        m_statusSink(text);
        return;
    }
    if (auto* frame = qobject_cast<QMainWindow*>(window())) frame->statusBar()->showMessage(text);
}

void CMapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = ClientPoint(event);
    if (!Picture()) return;
    ShowStatus(ReadoutText(point));
}

void CMapView::mousePressEvent(QMouseEvent* event) {
    QAbstractScrollArea::mousePressEvent(event);
}

void CMapView::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->ignore();
}

bool CMapView::IsInsidePicture(QPoint client) const {
    const QSize total = ScrollTotalSize();
    return client.x() >= 0 && client.y() >= 0 && client.x() <= total.width() &&
           client.y() <= total.height();
}
