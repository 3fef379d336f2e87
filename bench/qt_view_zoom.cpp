// SPDX-License-Identifier: GPL-3.0-or-later
// The map view away from actual size, against Qt's QGraphicsView showing the
// same picture as a QGraphicsPixmapItem (Qt::SmoothTransformation, the
// SmoothPixmapTransform render hint, no frame or scroll bars, default cache
// and update modes; the pixmap made once, before timing): one full repaint
// of a 1920 x 1080 window with the whole picture fitted in it (fitInView,
// Qt::KeepAspectRatio, against our fit level), a scroll step at 25 % (both
// scaled 1/4), and one full repaint at actual size. The picture is
// 16384 x 16384, 24 bits (ZE_BENCH_ZOOM_SIZE sets another side). Ours and
// the peer alternate step by step, each timed in processor time of this
// thread, where the offscreen painting happens.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "doc/map_doc.h"
#include "image/image.h"
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

// The picture as the peer is given it: a pixmap made once.
const QPixmap& Pixmap() {
    static QPixmap pixmap;
    if (pixmap.isNull()) {
        const CImage& image = *Document().m_pImage;
        QImage rows(image.GetWidth(), image.GetHeight(), QImage::Format_RGB32);
        for (int y = 0; y < image.GetHeight(); ++y) {
            const uint8_t* src = image.GetBits() + static_cast<size_t>(image.GetRowBytes()) *
                                                       (image.GetHeight() - 1 - y);
            auto* out = reinterpret_cast<uint32_t*>(rows.scanLine(y));
            for (int x = 0; x < image.GetWidth(); ++x, src += 3)
                out[x] = 0xff000000u | (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
        }
        pixmap = QPixmap::fromImage(std::move(rows));
    }
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

double Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs ours() and peer() in turn each iteration and reports both and their ratio.
template <class A, class B>
void Alternate(benchmark::State& state, A&& ours, B&& peer) {
    double a = 0, b = 0;
    for (auto _ : state) {
        const double t0 = Now();
        ours();
        const double t1 = Now();
        peer();
        const double t2 = Now();
        a += t1 - t0, b += t2 - t1;
    }
    const auto n = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["ours_ms"] = a * 1e3 / n;
    state.counters["peer_ms"] = b * 1e3 / n;
    state.counters["ratio"] = b > 0 ? a / b : 0;
    state.counters["side"] = PictureSize();
}

void BM_FitRepaintAgainstGraphicsView(benchmark::State& state) {
    Ours ours;
    ours.view.OnZoomFit();
    ours.AwaitPyramid();
    Peer peer;
    peer.view.fitInView(peer.item, Qt::KeepAspectRatio);
    QApplication::processEvents();
    Alternate(
        state, [&] { ours.view.viewport()->repaint(); }, [&] { peer.view.viewport()->repaint(); });
}
BENCHMARK(BM_FitRepaintAgainstGraphicsView)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// One scroll step of 48 pixels down or up, painted before the next.
void BM_ScrollStepQuarterAgainstGraphicsView(benchmark::State& state) {
    Ours ours;
    ours.view.SetZoom(ZoomScale::Ratio(1, 4));
    ours.AwaitPyramid();
    Peer peer;
    peer.view.scale(0.25, 0.25);
    QApplication::processEvents();
    for (QAbstractScrollArea* v : {static_cast<QAbstractScrollArea*>(&ours.view),
                                   static_cast<QAbstractScrollArea*>(&peer.view)}) {
        v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum() / 2);
        v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum() / 2);
        v->viewport()->repaint();
    }
    int i = 0;
    const auto step = [&](QAbstractScrollArea& v) {
        QScrollBar* bar = v.verticalScrollBar();
        bar->setValue(bar->value() + ((i & 1) ? -48 : 48));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    };
    Alternate(
        state, [&] { step(ours.view); },
        [&] {
            step(peer.view);
            ++i;
        });
}
BENCHMARK(BM_ScrollStepQuarterAgainstGraphicsView)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

void BM_ActualSizeRepaintAgainstGraphicsView(benchmark::State& state) {
    Ours ours;
    ours.view.OnZoomNormal();
    Peer peer;
    QApplication::processEvents();
    for (QAbstractScrollArea* v : {static_cast<QAbstractScrollArea*>(&ours.view),
                                   static_cast<QAbstractScrollArea*>(&peer.view)}) {
        v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum() / 2);
        v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum() / 2);
    }
    Alternate(
        state, [&] { ours.view.viewport()->repaint(); }, [&] { peer.view.viewport()->repaint(); });
}
BENCHMARK(BM_ActualSizeRepaintAgainstGraphicsView)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace
