// SPDX-License-Identifier: GPL-3.0-or-later
// Painting the map view: one full repaint of a 1920 x 1080 window over an
// 8000 x 8000 picture at double size from the cached display copy, against
// converting and drawing the whole picture on every paint. Also the cost of
// one mouse move (readout), of one rubber-band move while dragging, and of
// one scroll step against a plain Qt view that shifts what is on screen.

#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>
#include <cstdint>
#include <memory>

#include "document/map_doc.h"
#include "image/image.h"
#include "image/render.h"
#include "in_turn.h"
#include "simd_levels.h"
#include "view/map_view.h"

namespace {

constexpr int kPictureSize = 8000;
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;

// The application lives in main(), so that it goes before Qt's own globals.
QApplication& App() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// One document with an 8000 x 8000 depth-24 picture, shared by all cases.
CMapDoc& Document() {
    static CMapDoc doc;
    if (!doc.m_pImage) {
        auto image = std::make_unique<CImage>();
        image->Create(kPictureSize, kPictureSize, 24, -1);
        for (int y = 0; y < kPictureSize; ++y) {
            uint8_t* row = image->GetBits() + static_cast<size_t>(image->GetRowBytes()) * y;
            for (int x = 0; x < kPictureSize; ++x) {
                row[3 * x] = static_cast<uint8_t>(x);
                row[3 * x + 1] = static_cast<uint8_t>(y);
                row[3 * x + 2] = static_cast<uint8_t>(x ^ y);
            }
        }
        doc.m_pImage = std::move(image);
    }
    return doc;
}

// A view whose viewport is exactly 1920 x 1080, at double size, scrolled
// into the middle of the picture.
struct ViewFixture {
    QApplication& app = App();
    QStatusBar statusBar;
    CMapView view;
    ViewFixture() {
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(kViewWidth, kViewHeight);
        QObject::connect(&view, &CMapView::statusMessage, &statusBar,
                         [this](const QString& text) { statusBar.showMessage(text); });
        view.SetDocument(&Document());
        view.OnZoomDouble();
        view.show();
        QApplication::processEvents();
        view.horizontalScrollBar()->setValue(kPictureSize - kViewWidth / 2);
        view.verticalScrollBar()->setValue(kPictureSize - kViewHeight / 2);
        view.viewport()->repaint();
    }
    void Move(QPoint p, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), view.viewport()->mapToGlobal(QPointF(p)),
                         Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }
    void Button(QEvent::Type type, QPoint p) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(p), view.viewport()->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      held, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &e);
    }
    // Paints whatever the last events asked to repaint, now.
    void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }
};

// The cached display copy, painted only where the window is exposed.
void BM_ViewFullRepaintZoom2(benchmark::State& state) {
    ViewFixture f;
    for (auto _ : state) f.view.viewport()->repaint();
}
BENCHMARK(BM_ViewFullRepaintZoom2)->Unit(benchmark::kMillisecond);

// Every paint converts the whole picture and draws all of it, scaled, into
// the window, which shows only the part that fits.
void BM_WholePictureRepaintZoom2(benchmark::State& state) {
    App();
    const CImage& image = *Document().m_pImage;
    QImage window(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const int sx = kPictureSize - kViewWidth / 2, sy = kPictureSize - kViewHeight / 2;
    for (auto _ : state) {
        QImage pixels(image.GetWidth(), image.GetHeight(), QImage::Format_ARGB32);
        RenderArgb32(image, reinterpret_cast<uint32_t*>(pixels.bits()),
                     static_cast<int>(pixels.bytesPerLine() / 4));
        QPainter painter(&window);
        painter.drawImage(QRect(-sx, -sy, 2 * image.GetWidth(), 2 * image.GetHeight()), pixels);
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_WholePictureRepaintZoom2)->Unit(benchmark::kMillisecond);

// One mouse move over the picture: readout formatted and shown.
void BM_MouseMoveReadout(benchmark::State& state) {
    ViewFixture f;
    int i = 0;
    for (auto _ : state) {
        f.Move(QPoint(100 + (i & 63), 200 + (i & 31)));
        ++i;
    }
}
BENCHMARK(BM_MouseMoveReadout)->Unit(benchmark::kMicrosecond);

// Counts the paints of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    double area = 0, rects = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            const QRegion& r = static_cast<QPaintEvent*>(event)->region();
            area += r.boundingRect().width() * double(r.boundingRect().height());
            rects += r.rectCount();
        }
        return false;
    }
};

// One mouse move while a shape is being drawn: readout, state, and the
// repaint of the outline's old and new place, done before the next move.
void RubberBandMoves(benchmark::State& state, ViewFixture& f) {
    PaintCounter counter;
    f.view.viewport()->installEventFilter(&counter);
    int i = 0;
    for (auto _ : state) {
        f.Move(QPoint(1500 + (i & 15), 900 + (i & 7)), Qt::LeftButton);
        f.Flush();
        ++i;
    }
    f.view.viewport()->removeEventFilter(&counter);
    // The repainted region: its bounding box in pixels (what one box around
    // both outlines would cost) and the rectangles it was painted in.
    state.counters["bbox_area"] = counter.area / std::max(counter.paints, 1);
    state.counters["rects"] = counter.rects / std::max(counter.paints, 1);
    state.counters["paints_per_move"] = benchmark::Counter(static_cast<double>(counter.paints) /
                                                           static_cast<double>(std::max(i, 1)));
}

void BM_RubberBandMoveRect(benchmark::State& state) {
    ViewFixture f;
    f.view.OnToolRect();
    f.Button(QEvent::MouseButtonPress, QPoint(200, 150));
    RubberBandMoves(state, f);
    f.Button(QEvent::MouseButtonRelease, QPoint(200, 150));
}
BENCHMARK(BM_RubberBandMoveRect)->Unit(benchmark::kMicrosecond);

void BM_RubberBandMoveCircle(benchmark::State& state) {
    ViewFixture f;
    f.view.OnToolCircle();
    f.Button(QEvent::MouseButtonPress, QPoint(1100, 600));
    RubberBandMoves(state, f);
    f.Button(QEvent::MouseButtonRelease, QPoint(1100, 600));
}
BENCHMARK(BM_RubberBandMoveCircle)->Unit(benchmark::kMicrosecond);

// An open polygon of 200 vertices: only its two moving edges repaint.
void BM_RubberBandMovePolygon(benchmark::State& state) {
    ViewFixture f;
    f.view.OnToolPolygon();
    for (int v = 0; v < 200; ++v) {
        const QPoint p(100 + 6 * v, 100 + (v % 2) * 300);
        f.Button(QEvent::MouseButtonPress, p);
        f.Button(QEvent::MouseButtonRelease, p);
    }
    RubberBandMoves(state, f);
}
BENCHMARK(BM_RubberBandMovePolygon)->Unit(benchmark::kMicrosecond);

// A plain Qt view of the same picture at double size: it shifts what is on
// screen and draws the uncovered part scaled from a display copy.
class ShiftingView : public QAbstractScrollArea {
public:
    explicit ShiftingView(const CImage& image)
        : m_pixels(image.GetWidth(), image.GetHeight(), QImage::Format_RGB32) {
        RenderArgb32(image, reinterpret_cast<uint32_t*>(m_pixels.bits()),
                     static_cast<int>(m_pixels.bytesPerLine() / 4));
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        resize(kViewWidth, kViewHeight);
        horizontalScrollBar()->setRange(0, 2 * image.GetWidth() - kViewWidth);
        verticalScrollBar()->setRange(0, 2 * image.GetHeight() - kViewHeight);
    }

protected:
    void scrollContentsBy(int dx, int dy) override { viewport()->scroll(dx, dy); }
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        const QPointF at(horizontalScrollBar()->value(), verticalScrollBar()->value());
        for (const QRect& r : event->region()) {
            const QRectF source((r.left() + at.x()) / 2, (r.top() + at.y()) / 2, r.width() / 2.0,
                                r.height() / 2.0);
            painter.drawImage(QRectF(r), m_pixels, source);
        }
    }

private:
    QImage m_pixels;
};

// What every view pays for a scroll step whatever it shows: the same shift,
// and the uncovered strip filled with one colour (no picture at all).
class ShiftOnlyView : public QAbstractScrollArea {
public:
    ShiftOnlyView() {
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        resize(kViewWidth, kViewHeight);
        horizontalScrollBar()->setRange(0, 2 * kPictureSize - kViewWidth);
        verticalScrollBar()->setRange(0, 2 * kPictureSize - kViewHeight);
    }

protected:
    void scrollContentsBy(int dx, int dy) override { viewport()->scroll(dx, dy); }
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        for (const QRect& r : event->region()) painter.fillRect(r, Qt::darkCyan);
    }
};

// One scroll step down or up (as three wheel notches would go), painted
// before the next one.
template <class View>
void ScrollSteps(benchmark::State& state, View& view) {
    QScrollBar* bar = view.verticalScrollBar();
    int i = 0;
    for (auto _ : state) {
        bar->setValue(bar->value() + ((i++ & 1) ? -48 : 48));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
}

void BM_ScrollStepZoom2(benchmark::State& state) {
    ViewFixture f;
    ScrollSteps(state, f.view);
}
BENCHMARK(BM_ScrollStepZoom2)->Unit(benchmark::kMicrosecond);

void BM_ScrollStepShiftingQtView(benchmark::State& state) {
    App();
    ShiftingView view(*Document().m_pImage);
    view.show();
    QApplication::processEvents();
    view.horizontalScrollBar()->setValue(kPictureSize - kViewWidth / 2);
    view.verticalScrollBar()->setValue(kPictureSize - kViewHeight / 2);
    view.viewport()->repaint();
    ScrollSteps(state, view);
}
BENCHMARK(BM_ScrollStepShiftingQtView)->Unit(benchmark::kMicrosecond);

// In turn, one step each, the order balanced (bench/in_turn.h), each
// step timed in processor time of this thread (where the offscreen painting
// happens), so that other work on the machine counts for neither; at every
// level of vector instructions the processor has, as our strip's rows are
// converted from the picture's own. The view that only shifts and fills
// runs in the same turns: the part of a step that no view can save.
void ScrollStepAgainstShiftingQtView(benchmark::State& state) {
    ViewFixture f;
    ShiftingView plain(*Document().m_pImage);
    plain.show();
    QApplication::processEvents();
    plain.horizontalScrollBar()->setValue(kPictureSize - kViewWidth / 2);
    plain.verticalScrollBar()->setValue(kPictureSize - kViewHeight / 2);
    plain.viewport()->repaint();
    ShiftOnlyView floor;
    floor.show();
    QApplication::processEvents();
    floor.horizontalScrollBar()->setValue(kPictureSize - kViewWidth / 2);
    floor.verticalScrollBar()->setValue(kPictureSize - kViewHeight / 2);
    floor.viewport()->repaint();
    int i = 0, j = 0, k = 0;
    const auto step = [](QAbstractScrollArea& view, int& k) {
        QScrollBar* bar = view.verticalScrollBar();
        bar->setValue(bar->value() + ((k++ & 1) ? -48 : 48));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        return true;
    };
    InTurn(state,
           {{"ours", [&] { return step(f.view, i); }},
            {"shifting_view", [&] { return step(plain, j); }},
            {"shift_only", [&] { return step(floor, k); }}},
           Clock::kThread);
}
// Ten scroll steps of 48 pixels down and then a full repaint (the window
// uncovered, say), all painted, against the same with the shifting view: a
// step leaves its strip out of our block, and the repaint puts together
// what the block lacks by then.
void ScrollBurstThenRepaint(benchmark::State& state) {
    ViewFixture f;
    ShiftingView plain(*Document().m_pImage);
    plain.show();
    QApplication::processEvents();
    const auto burst = [](QAbstractScrollArea& view, int& k) {
        QScrollBar* bar = view.verticalScrollBar();
        if (k++ % 2 == 0) bar->setValue(kPictureSize - kViewHeight / 2);
        for (int i = 0; i < 10; ++i) {
            bar->setValue(bar->value() + ((k % 2) ? 48 : -48));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        }
        view.viewport()->repaint();
        return true;
    };
    plain.horizontalScrollBar()->setValue(kPictureSize - kViewWidth / 2);
    int i = 0, j = 0;
    InTurn(state,
           {{"ours", [&] { return burst(f.view, i); }},
            {"shifting_view", [&] { return burst(plain, j); }}},
           Clock::kThread);
}

const bool kScrollStepSet = [] {
    for (auto* c :
         AtEverySimdLevel("BM_ScrollStepAgainstShiftingQtView", ScrollStepAgainstShiftingQtView))
        c->Unit(benchmark::kMicrosecond)->MinTime(3.0);
    for (auto* c :
         AtEverySimdLevel("BM_ScrollBurstThenRepaintAgainstShiftingQtView", ScrollBurstThenRepaint))
        c->Unit(benchmark::kMicrosecond)->MinTime(3.0);
    return true;
}();

}  // namespace
