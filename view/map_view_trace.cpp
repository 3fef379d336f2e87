// The outline tool (輪郭): a click inside a region of the picture asks for the
// link and adds the region's outline as one polygon area; while the mouse
// rests over the picture, that outline is shown.

#include <QEvent>

#include "image/image.h"
#include "markup/area_markup.h"
#include "view/map_view.h"

QPoint CMapView::PicturePixel(QPoint client) const {
    // The pixel shown at the client point, as the readout names it.
    const QPoint pixel = Mapping().ToPicture(client);
    if (pixel.x() < 0 || pixel.y() < 0) return QPoint(-1, -1);
    return pixel;
}

void CMapView::OnToolTrace() {
    m_trace.Forget();  // the tolerance may have changed since
    SetTool(kToolTrace);
}

void CMapView::OnTraceToleranceChanged() {
    m_trace.Forget();
    if (const auto pixel = m_trace.HoverPixel()) m_trace.Hover(*pixel);
}

void CMapView::HoverTrace(QPoint client) {
    m_trace.Hover(PicturePixel(client));
}

bool CMapView::viewportEvent(QEvent* event) {
    // The outline under a mouse that has left the picture's window goes.
    if (event->type() == QEvent::Leave && m_nTool == kToolTrace) {
        const Outline before = CurrentOutline();
        m_trace.Clear();
        UpdateOutline(before);
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CMapView::RefreshTracePreview() {
    const Outline before = CurrentOutline();
    m_trace.Refresh(m_nTool == kToolTrace ? Picture() : nullptr);
    UpdateOutline(before);
}

void CMapView::FinishTrace(QPoint client) {
    const CImage* image = Picture();
    if (!image) return;
    const std::vector<TracePoint> corners = m_trace.Trace(*image, PicturePixel(client), this);
    if (corners.empty()) return;

    // The outline stays on screen while the dialog asks for the link.
    const Outline before = CurrentOutline();
    m_held = Outline();
    m_held.kind = Outline::kLines;
    m_held.closed = true;
    m_held.points = CTraceTool::ToClient(corners, Mapping());
    UpdateOutline(before);

    std::string url, alt;
    if (AskLink(&url, &alt)) {
        // Picture coordinates as they are: no scroll, no zoom.
        std::vector<ClientPoint> vertices;
        for (const TracePoint& p : corners) vertices.push_back({p.x, p.y});
        InsertLine(FormatPolyArea(vertices, {}, 1, alt, url));
    }
    m_held = Outline();
    viewport()->update();
}
