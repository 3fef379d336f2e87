#pragma once
// The outline tool's hover state: the polygon that a click at the pixel under
// the mouse would give, in picture coordinates. Mouse moves only note the
// pixel; a short timer then traces it, so that a burst of moves costs one
// trace. A pixel of the same colour inside the last region gives that region
// again, so moving within a flat area costs nothing. A trace runs in slices
// of a few milliseconds between the window's other events, so a huge region
// never holds the window up; a click waits for its trace, showing progress
// that Esc cancels.

#include <QObject>
#include <QPoint>
#include <QPolygon>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "image/region_trace.h"
#include "view/view_mapping.h"

class CImage;
class QWidget;

class CTraceTool : public QObject {
    Q_OBJECT
public:
    // The longest wait between a move and its preview.
    static constexpr int kPreviewDelayMs = 15;
    // The longest a trace holds the window up at a time.
    static constexpr int kSliceMs = 5;
    // How long a click traces before it shows its progress.
    static constexpr int kProgressDelayMs = 300;

    explicit CTraceTool(QObject* parent = nullptr);

    // The mouse rests over picture pixel `pixel`; the preview follows when
    // previewDue fires.
    void Hover(QPoint pixel);
    // The mouse left the picture, or the tool was put down: no preview.
    void Clear();
    // The picture or the tolerance changed: the next hover traces afresh.
    void Forget();

    // Traces the pixel last hovered over, unless the preview already is its
    // region: its first slice now, the rest later (previewDue fires when the
    // preview is ready). Reads the tolerance setting.
    void Refresh(const CImage* image);
    // The polygon for picture pixel `pixel`, traced now; empty when it is no
    // pixel of the picture or the trace was cancelled. A trace that takes
    // longer than the progress delay shows a progress dialog over `parent`,
    // whose Esc or cancel button ends it. Reads the tolerance setting.
    std::vector<TracePoint> Trace(const CImage& image, QPoint pixel, QWidget* parent = nullptr);
    // Whether a preview is being traced.
    bool Busy() const { return m_job && !m_jobDone; }
    void SetProgressDelay(int ms) { m_progressDelayMs = ms; }

    const std::vector<TracePoint>& Preview() const { return m_preview; }
    std::optional<QPoint> HoverPixel() const { return m_hover; }

    // Picture corners as client points of the view.
    static QPolygon ToClient(const std::vector<TracePoint>& corners, const AreaMapping& mapping);

signals:
    // Time to call Refresh for the pixel last hovered over.
    void previewDue();

private:
    bool Traced(const CImage& image, QPoint pixel, int tolerance) const;
    // Starts a trace of `pixel` unless one of it is running.
    void StartJob(const CImage& image, QPoint pixel, int tolerance);
    // Runs the trace for one slice; false while it is not finished.
    bool Step(int ms);
    // Takes the finished trace as the preview.
    void Adopt();
    void OnStep();

    QTimer m_timer;
    QTimer m_stepTimer;  // the next slice of the trace
    int m_progressDelayMs = kProgressDelayMs;
    bool m_clicking = false;
    // The trace under way and what it traces; its region fills m_jobMask.
    std::unique_ptr<CRegionTracer> m_job;
    bool m_jobDone = false;  // finished, not yet the preview
    CRegionMask m_jobMask;
    const CImage* m_jobImage = nullptr;
    QPoint m_jobPixel;
    int m_jobTolerance = -1;
    std::optional<QPoint> m_hover;
    CRegionMask m_mask;  // the preview's region, kept to recognise it again
    std::vector<TracePoint> m_preview;
    // What the preview was traced from.
    const CImage* m_image = nullptr;
    int m_tolerance = -1;
    uint32_t m_seedColour = 0;
};
