// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/tools/outline_tool.h"

#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QProgressDialog>
#include <QScopeGuard>
#include <chrono>

#include "document/settings.h"
#include "image/image.h"
#include "markup/area_markup.h"
#include "view/tools/tool_icon.h"

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

COutlineTool::COutlineTool(CToolContext& context) : m_ctx(context) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kPreviewDelayMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { ShowPreview(); });
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setInterval(0);
    QObject::connect(&m_stepTimer, &QTimer::timeout, &m_stepTimer, [this] { OnStep(); });
}

void COutlineTool::Press(QPoint client) {
    const CImage* image = m_ctx.Picture();
    if (!image || !m_ctx.IsInsidePicture(client)) return;
    const std::vector<TracePoint> corners = Trace(*image, m_ctx.Mapping().ToPicture(client));
    if (corners.empty()) return;

    // The outline stays on screen while the dialog asks for the link.
    const ToolOutline before = Outline();
    m_held = ClientOutline(corners);
    m_ctx.UpdateOutline(before);

    AreaLink link;
    if (m_ctx.AskLink(&link)) {
        // Picture coordinates as they are: no scroll, no zoom.
        std::vector<ClientPoint> vertices;
        for (const TracePoint& p : corners) vertices.push_back({p.x, p.y});
        m_ctx.InsertLine(FormatPolyArea(vertices, {}, 1, link.alt, link.href), link);
    }
    m_held = ToolOutline();
    m_ctx.RepaintAll();
}

void COutlineTool::Move(QPoint client) {
    Hover(m_ctx.Mapping().ToPicture(client));
}

void COutlineTool::Leave() {
    const ToolOutline before = Outline();
    Clear();
    m_ctx.UpdateOutline(before);
}

ToolOutline COutlineTool::Outline() const {
    if (m_held.kind != ToolOutline::kNone) return m_held;
    return m_preview.empty() ? ToolOutline() : ClientOutline(m_preview);
}

ToolOutline COutlineTool::ClientOutline(const std::vector<TracePoint>& corners) const {
    const AreaMapping mapping = m_ctx.Mapping();
    ToolOutline outline;
    outline.kind = ToolOutline::kLines;
    outline.closed = true;
    outline.points.reserve(static_cast<qsizetype>(corners.size()));
    for (const TracePoint& p : corners) outline.points << mapping.ToClientPixel(QPoint(p.x, p.y));
    return outline;
}

void COutlineTool::ToleranceChanged() {
    Forget();
    if (m_hover) Hover(*m_hover);
}

void COutlineTool::ShowPreview() {
    const ToolOutline before = Outline();
    Refresh(m_ctx.Picture());
    m_ctx.UpdateOutline(before);
}

void COutlineTool::Hover(QPoint pixel) {
    m_hover = pixel;
    // A throttle, not a debounce: a mouse that keeps moving still sees the
    // preview follow it.
    if (!m_timer.isActive()) m_timer.start();
}

void COutlineTool::Clear() {
    m_timer.stop();
    m_stepTimer.stop();
    m_job.reset();
    m_hover.reset();
    m_preview.clear();
}

void COutlineTool::Forget() {
    // The picture the trace reads may be gone already: it is not read again.
    m_stepTimer.stop();
    m_job.reset();
    m_image = nullptr;
    m_tolerance = -1;
    m_preview.clear();
}

bool COutlineTool::Traced(const CImage& image, QPoint pixel, int tolerance) const {
    // The region depends only on the seed's colour and on which region the
    // seed lies in.
    return m_image == &image && m_tolerance == tolerance && !m_preview.empty() &&
           m_mask.Contains(pixel.x(), pixel.y()) && ColourAt(image, pixel) == m_seedColour;
}

void COutlineTool::StartJob(const CImage& image, QPoint pixel, int tolerance) {
    if (m_job && m_jobImage == &image && m_jobPixel == pixel && m_jobTolerance == tolerance) return;
    m_stepTimer.stop();
    m_job = std::make_unique<CRegionTracer>();
    TraceOptions options;
    options.tolerance = tolerance;
    if (!m_job->Begin(image, pixel.x(), pixel.y(), options, &m_jobMask)) {
        m_job.reset();
        return;
    }
    m_jobDone = false;
    m_jobImage = &image;
    m_jobPixel = pixel;
    m_jobTolerance = tolerance;
}

bool COutlineTool::Step(int ms) {
    return m_job->Run(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

void COutlineTool::Adopt() {
    std::unique_ptr<CRegionTracer> job = std::move(m_job);
    m_stepTimer.stop();
    m_image = nullptr;
    m_preview.clear();
    if (!job->Succeeded()) return;
    std::swap(m_mask, m_jobMask);
    m_image = m_jobImage;
    m_tolerance = m_jobTolerance;
    m_seedColour = ColourAt(*m_image, m_jobPixel);
    m_preview = job->Result().corners;
}

void COutlineTool::OnStep() {
    if (!m_job) return;
    if (!Step(kSliceMs)) {
        m_stepTimer.start();
        return;
    }
    // Refresh takes the result as the preview, so that the view sees the
    // outline change.
    m_jobDone = true;
    ShowPreview();
}

std::vector<TracePoint> COutlineTool::Trace(const CImage& image, QPoint pixel) {
    if (!IsPixel(image, pixel)) return {};
    const int tolerance = GetTraceToleranceSetting();
    if (Traced(image, pixel, tolerance)) return m_preview;
    StartJob(image, pixel, tolerance);
    if (!m_job) return {};
    m_stepTimer.stop();
    // Hovers wait until the click has its outline.
    m_clicking = true;
    const auto resume = qScopeGuard([this] { m_clicking = false; });
    if (!Step(m_progressDelayMs)) {
        // A long trace: the window goes on painting behind a progress
        // dialog, which takes every other input until the trace ends.
        QProgressDialog progress(m_ctx.DialogParent());
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setRange(0, 0);
        progress.setMinimumDuration(0);
        progress.setCancelButtonText(QString::fromUtf8("中止"));
        progress.setWindowTitle(QString::fromUtf8("輪郭"));
        progress.setObjectName(QStringLiteral("TraceProgress"));
        // Esc rejects the dialog, which is not the cancel button's signal.
        bool cancelled = false;
        QObject::connect(&progress, &QProgressDialog::canceled, &progress,
                         [&cancelled] { cancelled = true; });
        QObject::connect(&progress, &QDialog::rejected, &progress,
                         [&cancelled] { cancelled = true; });
        progress.show();
        const CRegionTracer* job = m_job.get();
        for (;;) {
            progress.setLabelText(QString::fromUtf8("輪郭を抽出しています… %1 画素 (Esc で中止)")
                                      .arg(QLocale().toString(qlonglong{job->PixelsSoFar()})));
            QApplication::processEvents(QEventLoop::AllEvents, kSliceMs);
            // Cancelled, or the picture changed (Forget ended the trace).
            if (cancelled || m_job.get() != job) {
                if (m_job.get() == job) m_job.reset();
                return {};
            }
            if (Step(2 * kSliceMs)) break;
        }
    }
    Adopt();
    return m_preview;
}

void COutlineTool::Refresh(const CImage* image) {
    if (m_clicking) return;
    if (!image || !m_hover || !IsPixel(*image, *m_hover)) {
        m_stepTimer.stop();
        m_job.reset();
        m_preview.clear();
        return;
    }
    if (m_job && m_jobDone) Adopt();
    const int tolerance = GetTraceToleranceSetting();
    if (Traced(*image, *m_hover, tolerance)) {
        m_stepTimer.stop();
        m_job.reset();
        return;
    }
    // The mouse has left the region shown: its outline goes while the new
    // one is traced.
    m_preview.clear();
    StartJob(*image, *m_hover, tolerance);
    if (!m_job) return;
    if (Step(kSliceMs))
        Adopt();
    else
        m_stepTimer.start();
}

namespace {
// A patch of colour with a traced outline around it and a pointer on it.
void DrawTrace(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kIconShape.lighter(160));
    QPolygonF patch{{2.5, 9.5}, {3.5, 3.5}, {7.5, 1.5}, {12.5, 3.5}, {13.5, 8.5}, {9.5, 12.5}};
    p.drawPolygon(patch);
    p.setPen(IconPen(kIconShape));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(patch);
    p.setPen(IconPen(kIconInk));
    p.setBrush(Qt::white);
    QPolygonF pointer{{7.5, 6.5}, {7.5, 13.5}, {9.5, 11.5}, {11, 14.5},
                      {12, 14},   {10.5, 11},  {13, 11}};
    p.drawPolygon(pointer);
}
}  // namespace

const ToolDescriptor COutlineTool::kRow = {
    tool_id::kTrace,
    tool_command::kTrace,
    "輪郭 (&O)",
    "クリックした領域の輪郭を多角形にします",
    "輪郭",
    Qt::Key_O,
    DrawTrace,
    [](CToolContext& context, CAreaContext&) -> std::unique_ptr<CMapTool> {
        return std::make_unique<COutlineTool>(context);
    }};
