#include "view/trace_tool.h"

#include "image/image.h"
#include "markup/settings.h"

namespace {
// The pixel's colour as 0xRRGGBB; picture y counts from the top.
uint32_t ColourAt(const CImage& image, QPoint pixel) {
    uint8_t r = 0, g = 0, b = 0;
    image.GetPixelRGB(pixel.x(), image.GetHeight() - 1 - pixel.y(), &r, &g, &b);
    return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

bool IsPixel(const CImage& image, QPoint p) {
    return p.x() >= 0 && p.y() >= 0 && p.x() < image.GetWidth() && p.y() < image.GetHeight();
}
}  // namespace

CTraceTool::CTraceTool(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kPreviewDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &CTraceTool::previewDue);
}

void CTraceTool::Hover(QPoint pixel) {
    m_hover = pixel;
    // A throttle, not a debounce: a mouse that keeps moving still sees the
    // preview follow it.
    if (!m_timer.isActive()) m_timer.start();
}

void CTraceTool::Clear() {
    m_timer.stop();
    m_hover.reset();
    m_preview.clear();
}

void CTraceTool::Forget() {
    m_image = nullptr;
    m_tolerance = -1;
    m_preview.clear();
}

bool CTraceTool::Traced(const CImage& image, QPoint pixel, int tolerance) const {
    // The region depends only on the seed's colour and on which region the
    // seed lies in.
    return m_image == &image && m_tolerance == tolerance && !m_preview.empty() &&
           m_mask.Contains(pixel.x(), pixel.y()) && ColourAt(image, pixel) == m_seedColour;
}

std::vector<TracePoint> CTraceTool::Trace(const CImage& image, QPoint pixel) {
    if (!IsPixel(image, pixel)) return {};
    const int tolerance = GetTraceToleranceSetting();
    if (Traced(image, pixel, tolerance)) return m_preview;
    RegionTrace trace;
    TraceOptions options;
    options.tolerance = tolerance;
    m_image = nullptr;
    if (!TraceRegion(image, pixel.x(), pixel.y(), options, &trace, &m_mask)) return {};
    m_image = &image;
    m_tolerance = tolerance;
    m_seedColour = ColourAt(image, pixel);
    m_preview = trace.corners;
    return trace.corners;
}

void CTraceTool::Refresh(const CImage* image) {
    if (!image || !m_hover) {
        m_preview.clear();
        return;
    }
    Trace(*image, *m_hover);
    if (!IsPixel(*image, *m_hover)) m_preview.clear();
}

QPolygon CTraceTool::ToClient(const std::vector<TracePoint>& corners, QPoint scroll, int zoom) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(corners.size()));
    for (const TracePoint& p : corners)
        polygon << QPoint(p.x * zoom - scroll.x(), p.y * zoom - scroll.y());
    return polygon;
}
