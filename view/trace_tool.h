#pragma once
// The outline tool's hover state: the polygon that a click at the pixel under
// the mouse would give, in picture coordinates. Mouse moves only note the
// pixel; a short timer then traces it, so that a burst of moves costs one
// trace. A pixel of the same colour inside the last region gives that region
// again, so moving within a flat area costs nothing.

#include <QObject>
#include <QPoint>
#include <QPolygon>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/region_trace.h"

class CImage;

class CTraceTool : public QObject {
    Q_OBJECT
public:
    // The longest wait between a move and its preview.
    static constexpr int kPreviewDelayMs = 15;

    explicit CTraceTool(QObject* parent = nullptr);

    // The mouse rests over picture pixel `pixel`; the preview follows when
    // previewDue fires.
    void Hover(QPoint pixel);
    // The mouse left the picture, or the tool was put down: no preview.
    void Clear();
    // The picture or the tolerance changed: the next hover traces afresh.
    void Forget();

    // Traces the pixel last hovered over, unless the preview already is its
    // region. Reads the tolerance setting.
    void Refresh(const CImage* image);
    // The polygon for picture pixel `pixel`, traced now; empty when it is no
    // pixel of the picture. Reads the tolerance setting.
    std::vector<TracePoint> Trace(const CImage& image, QPoint pixel);

    const std::vector<TracePoint>& Preview() const { return m_preview; }
    std::optional<QPoint> HoverPixel() const { return m_hover; }

    // Picture corners as client points of a view scrolled to `scroll` at `zoom`.
    static QPolygon ToClient(const std::vector<TracePoint>& corners, QPoint scroll, int zoom);

signals:
    // Time to call Refresh for the pixel last hovered over.
    void previewDue();

private:
    bool Traced(const CImage& image, QPoint pixel, int tolerance) const;

    QTimer m_timer;
    std::optional<QPoint> m_hover;
    CRegionMask m_mask;  // the preview's region, kept to recognise it again
    std::vector<TracePoint> m_preview;
    // What the preview was traced from.
    const CImage* m_image = nullptr;
    int m_tolerance = -1;
    uint32_t m_seedColour = 0;
};
