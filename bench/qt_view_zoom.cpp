// SPDX-License-Identifier: GPL-3.0-or-later
// The map view away from its usual case, against the plainest Qt views of
// the same picture and against Qt's QGraphicsView:
// - one full repaint of a 1920 x 1080 window at actual size, against an
//   opaque QAbstractScrollArea painting the exposed part of an RGB32 QImage
//   of the picture (and QGraphicsView unscaled); run at every level of
//   vector instructions the processor has, since our rows are converted;
// - one full repaint with the whole picture fitted in the window (at every
//   level, as our block may keep three bytes a pixel), against a
//   widget that keeps its scaled QImage and draws it (and QGraphicsView's
//   fitInView, Qt::KeepAspectRatio, Qt::SmoothTransformation with the
//   SmoothPixmapTransform render hint);
// - a scroll step at 25 %, against QGraphicsView scaled 1/4.
// No frame or scroll bars anywhere; every peer's image or pixmap is made
// before timing. The picture is 16384 x 16384, 24 bits (ZE_BENCH_ZOOM_SIZE
// sets another side). Ours and the peer run in turn, one call each, the
// order balanced (bench/in_turn.h), each timed in processor time of this
// thread, where the offscreen painting happens.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "document/map_doc.h"
#include "image/image.h"
#include "in_turn.h"
#include "simd_levels.h"
#include "view/map_view.h"

namespace {

constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;

int PictureSize() {
    const char* size = std::getenv("ZE_BENCH_ZOOM_SIZE");
    return size ? std::clamp(std::atoi(size), 256, 32768) : 16384;
}

// One 24-bit picture with detail everywhere, shared by all cases.
CMapDoc& Document() {
    static CMapDoc doc;
    if (!doc.m_pImage) {
        const int n = PictureSize();
        auto image = std::make_unique<CImage>();
        image->Create(n, n, 24, -1);
        for (int y = 0; y < n; ++y) {
            uint8_t* row = image->GetBits() + static_cast<size_t>(image->GetRowBytes()) * y;
            for (int x = 0; x < n; ++x) {
                row[3 * x] = static_cast<uint8_t>(x);
                row[3 * x + 1] = static_cast<uint8_t>(y);
                row[3 * x + 2] = static_cast<uint8_t>(x ^ y);
            }
        }
        doc.m_pImage = std::move(image);
    }
    return doc;
}

// The picture as the plain peers are given it: an RGB32 image made once.
const QImage& Rgb32() {
    static QImage rows;
    if (rows.isNull()) {
        const CImage& image = *Document().m_pImage;
        rows = QImage(image.GetWidth(), image.GetHeight(), QImage::Format_RGB32);
        for (int y = 0; y < image.GetHeight(); ++y) {
            const uint8_t* src = image.GetBits() + static_cast<size_t>(image.GetRowBytes()) *
                                                       (image.GetHeight() - 1 - y);
            auto* out = reinterpret_cast<uint32_t*>(rows.scanLine(y));
            for (int x = 0; x < image.GetWidth(); ++x, src += 3)
                out[x] = 0xff000000u | (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
        }
    }
    return rows;
}

// The picture as QGraphicsView is given it: a pixmap made once.
const QPixmap& Pixmap() {
    static QPixmap pixmap;
    if (pixmap.isNull()) pixmap = QPixmap::fromImage(Rgb32());
    return pixmap;
}

template <class View>
void Bare(View& view) {
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(kViewWidth, kViewHeight);
}

struct Ours {
    CMapView view;
    Ours() {
        Bare(view);
        view.SetDocument(&Document());
        view.show();
    }
    // Below actual size: the halved copies, begun by the first paint there,
    // are made before timing starts.
    void AwaitPyramid() {
        view.viewport()->repaint();
        while (!view.PyramidReady()) QApplication::processEvents();
    }
};

struct Peer {
    QGraphicsScene scene;
    QGraphicsView view{&scene};
    QGraphicsPixmapItem* item = scene.addPixmap(Pixmap());
    Peer() {
        item->setTransformationMode(Qt::SmoothTransformation);
        view.setRenderHint(QPainter::SmoothPixmapTransform);
        Bare(view);
        view.show();
    }
};

// The plainest Qt view at actual size: an opaque scroll area painting the
// exposed part of its RGB32 image.
class PlainView : public QAbstractScrollArea {
public:
    PlainView() {
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        Bare(*this);
        horizontalScrollBar()->setRange(0, Rgb32().width() - kViewWidth);
        verticalScrollBar()->setRange(0, Rgb32().height() - kViewHeight);
        show();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        const QPoint at(horizontalScrollBar()->value(), verticalScrollBar()->value());
        for (const QRect& r : event->region()) painter.drawImage(r, Rgb32(), r.translated(at));
    }
};

// A widget that keeps the picture scaled to fit (as smooth as Qt makes it)
// and draws it on the window colour.
class KeptFitView : public QWidget {
public:
    KeptFitView() {
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(kViewWidth, kViewHeight);
        m_fitted = Rgb32().scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        show();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QRect picture(QPoint(0, 0), m_fitted.size());
        for (const QRect& r : event->region()) {
            for (const QRect& part : QRegion(r).subtracted(picture))
                painter.fillRect(part, palette().window());
            if (r.intersects(picture)) painter.drawImage(r & picture, m_fitted, r & picture);
        }
    }

private:
    QImage m_fitted;
};

bool Repaint(QWidget* widget) {
    widget->repaint();
    return true;
}

// Ours against each peer in turn, by processor time; reports the side too.
void InTurnByThreadTime(benchmark::State& state, const std::vector<Side>& sides) {
    InTurn(state, sides, Clock::kThread);
    state.counters["side"] = PictureSize();
}

// Scrolls a view to the middle of the picture.
void ToMiddle(QAbstractScrollArea& v) {
    v.horizontalScrollBar()->setValue(v.horizontalScrollBar()->maximum() / 2);
    v.verticalScrollBar()->setValue(v.verticalScrollBar()->maximum() / 2);
    v.viewport()->repaint();
}

// At every level: where the processor has AVX2 our block keeps three bytes
// a pixel and spreads them as it copies.
void FitRepaint(benchmark::State& state) {
    Ours ours;
    ours.view.OnZoomFit();
    ours.AwaitPyramid();
    KeptFitView kept;
    Peer peer;
    peer.view.fitInView(peer.item, Qt::KeepAspectRatio);
    QApplication::processEvents();
    InTurnByThreadTime(state, {{"ours", [&] { return Repaint(ours.view.viewport()); }},
                               {"kept_image", [&] { return Repaint(&kept); }},
                               {"graphics_view", [&] { return Repaint(peer.view.viewport()); }}});
}
const bool kFitSet = [] {
    for (auto* c : AtEverySimdLevel("BM_FitRepaintAgainstGraphicsView", FitRepaint))
        c->Unit(benchmark::kMillisecond)->MinTime(3.0);
    return true;
}();

// One scroll step of 48 pixels down or up, painted before the next.
bool ScrollStep(QAbstractScrollArea& v, int& i) {
    QScrollBar* bar = v.verticalScrollBar();
    bar->setValue(bar->value() + ((i++ & 1) ? -48 : 48));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    return true;
}

void BM_ScrollStepQuarterAgainstGraphicsView(benchmark::State& state) {
    Ours ours;
    ours.view.SetZoom(ZoomScale::Ratio(1, 4));
    ours.AwaitPyramid();
    Peer peer;
    peer.view.scale(0.25, 0.25);
    QApplication::processEvents();
    ToMiddle(ours.view);
    ToMiddle(peer.view);
    int i = 0, j = 0;
    InTurnByThreadTime(state, {{"ours", [&] { return ScrollStep(ours.view, i); }},
                               {"graphics_view", [&] { return ScrollStep(peer.view, j); }}});
}
BENCHMARK(BM_ScrollStepQuarterAgainstGraphicsView)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

// Our rows are converted from the picture's own at each level, and copied
// out of the block as it keeps them there; the peers copy their 32-bit
// pixels.
void ActualSizeRepaint(benchmark::State& state) {
    Ours ours;
    ours.view.OnZoomNormal();
    PlainView plain;
    Peer peer;
    QApplication::processEvents();
    ToMiddle(ours.view);
    ToMiddle(plain);
    ToMiddle(peer.view);
    InTurnByThreadTime(state, {{"ours", [&] { return Repaint(ours.view.viewport()); }},
                               {"plain_view", [&] { return Repaint(plain.viewport()); }},
                               {"graphics_view", [&] { return Repaint(peer.view.viewport()); }}});
}
const bool kActualSizeSet = [] {
    for (auto* c : AtEverySimdLevel("BM_ActualSizeRepaintAgainstPlainView", ActualSizeRepaint))
        c->Unit(benchmark::kMillisecond)->MinTime(3.0);
    return true;
}();

}  // namespace
