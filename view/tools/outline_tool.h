// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outline tool: a click inside a region of the picture asks for the link
// and adds the region's outline as one polygon area; while the mouse rests
// over the picture, that outline is shown.
//
// The preview is the polygon that a click at the pixel under the mouse would
// give, in picture coordinates. Mouse moves only note the pixel; a short
// timer then traces it, so that a burst of moves costs one trace. A pixel of
// the same colour inside the last region gives that region again, so moving
// within a flat area costs nothing. A trace runs in slices of a few
// milliseconds between the window's other events, so a huge region never
// holds the window up; a click waits for its trace, showing progress that Esc
// cancels.

#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "image/region_trace.h"
#include "view/tools/map_tool.h"

class CImage;

class COutlineTool : public CMapTool {
public:
    static const ToolDescriptor kRow;
    // The longest wait between a move and its preview.
    static constexpr int kPreviewDelayMs = 15;
    // The longest a trace holds the window up at a time.
    static constexpr int kSliceMs = 5;
    // How long a click traces before it shows its progress.
    static constexpr int kProgressDelayMs = 300;

    explicit COutlineTool(CToolContext& context);

    // The picture changed, or the tool is taken up again: the next hover
    // traces afresh.
    void Forget();
    // The tolerance setting changed: the preview follows.
    void ToleranceChanged();
    // The tool was put down: no preview, nothing traced.
    void Clear();
    void PutDown() override { Clear(); }
    // The tolerance may have changed since the tool was last used.
    void TakeUp() override { Forget(); }

    // Whether a preview is being traced.
    bool Busy() const { return m_job && !m_jobDone; }
    void SetProgressDelay(int ms) { m_progressDelayMs = ms; }
    const std::vector<TracePoint>& Preview() const { return m_preview; }

    void Press(QPoint client) override;
    void Move(QPoint client) override;
    // The mouse left the window: its preview goes.
    void Leave() override;
    ToolOutline Outline() const override;

private:
    // The mouse rests over picture pixel `pixel`; the preview follows shortly.
    void Hover(QPoint pixel);
    // Traces the pixel last hovered over and shows the outline that changed.
    void ShowPreview();
    // Traces the pixel last hovered over, unless the preview already is its
    // region: its first slice now, the rest later (ShowPreview is called
    // again when the preview is ready). Reads the tolerance setting.
    void Refresh(const CImage* image);
    // The polygon for picture pixel `pixel`, traced now; empty when it is no
    // pixel of the picture or the trace was cancelled. A trace that takes
    // longer than the progress delay shows a progress dialog, whose Esc or
    // cancel button ends it. Reads the tolerance setting.
    std::vector<TracePoint> Trace(const CImage& image, QPoint pixel);
    bool Traced(const CImage& image, QPoint pixel, int tolerance) const;
    // Starts a trace of `pixel` unless one of it is running.
    void StartJob(const CImage& image, QPoint pixel, int tolerance);
    // Runs the trace for one slice; false while it is not finished.
    bool Step(int ms);
    // Takes the finished trace as the preview.
    void Adopt();
    void OnStep();
    // Picture corners as a closed outline in client points.
    ToolOutline ClientOutline(const std::vector<TracePoint>& corners) const;

    CToolContext& m_ctx;
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
    // The finished shape's outline stays on screen while its dialog is up.
    ToolOutline m_held;
};
