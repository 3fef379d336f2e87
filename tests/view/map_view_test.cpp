// SPDX-License-Identifier: GPL-3.0-or-later
// The map view on its own: painting, zoom, scrolling and the readout, driven
// by real mouse events on the offscreen platform.

#include "view/map_view.h"

#include <QPaintEvent>
#include <QPalette>
#include <QScrollBar>
#include <QSignalSpy>
#include <functional>
#include <utility>

#include "document/settings.h"
#include "support/pictures.h"
#include "support/view_harness.h"

namespace {

using testutil::Gradient;

// A view over a picture and an empty pane.
struct Harness : ViewHarness {
    explicit Harness(std::unique_ptr<CImage> image)
        : ViewHarness("", std::move(image), QSize(300, 200)) {
        Show();
    }
};

}  // namespace

class MapViewTest : public QObject {
    Q_OBJECT
private slots:
    void paintAndReadoutAtBothZooms() {
        Harness h(Gradient(100, 50));
        const QRgb base = h.vp()->palette().color(QPalette::Base).rgb();
        QImage shot = h.Grab();
        for (QPoint p : {QPoint(0, 0), QPoint(10, 5), QPoint(99, 49)})
            QCOMPARE(shot.pixel(p), qRgb(p.x(), p.y(), 7));
        // The edge line below and right of the picture, then the window colour.
        for (QPoint p : {QPoint(0, 50), QPoint(99, 50), QPoint(100, 0), QPoint(100, 50)})
            QCOMPARE(shot.pixel(p), qRgb(0, 0, 0));
        for (QPoint p : {QPoint(101, 20), QPoint(20, 51), QPoint(100, 51)})
            QCOMPARE(shot.pixel(p), base);

        // Halves go away from zero whether the whole part is odd or even. With a
        // button held Qt keeps reporting the mouse outside the window: that is
        // not over the picture.
        const struct {
            int zoom;
            QPoint at;
            Qt::MouseButtons held;
            const char* text;
        } cases[] = {
            {1, {10, 5}, {}, "X座標 = 10 Y座標 = 5   RGB(10, 5, 7)"},
            {1, {0, 0}, {}, "X座標 = 0 Y座標 = 0   RGB(0, 0, 7)"},
            {1, {100, 20}, {}, " "},
            {2, {5, 4}, {}, "X座標 = 3 Y座標 = 2   RGB(2, 2, 7)"},
            {2, {1, 3}, {}, "X座標 = 1 Y座標 = 2   RGB(0, 1, 7)"},
            {2, {-1, 4}, Qt::LeftButton, " "},
        };
        for (const auto& c : cases) {
            if (c.zoom == 2) h.view.OnZoomDouble();
            QCOMPARE(h.MoveTo(c.at, c.held), QString::fromUtf8(c.text));
        }
        shot = h.Grab();
        // Each picture pixel covers two by two screen pixels, nothing smoothed.
        for (int y : {10, 11, 99})
            for (int x : {20, 21, 199}) QCOMPARE(shot.pixel(x, y), qRgb(x / 2, y / 2, 7));
        QCOMPARE(shot.pixel(200, 100), qRgb(0, 0, 0));
    }

    void noPictureLeavesStatusAndZoomStillWorks() {
        Harness h(nullptr);
        QCOMPARE(h.MoveTo({10, 5}), QStringLiteral("(unchanged)"));
        QSignalSpy changed(&h.view, &CMapView::commandStateChanged);
        h.view.OnZoomDouble();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(h.view.horizontalScrollBar()->maximum(), 0);
    }

    void zoomScrollRangeAndReadout() {
        Harness h(Gradient(500, 400));
        // Both bars show, so the viewport is smaller than the view.
        const int vw = h.vp()->width(), vh = h.vp()->height();
        QCOMPARE(h.view.horizontalScrollBar()->maximum(), 500 - vw);

        h.view.horizontalScrollBar()->setValue(50);
        h.view.OnZoomDouble();
        QCOMPARE(h.view.verticalScrollBar()->maximum(), 800 - vh);
        // The position stays the same number of pixels.
        QCOMPARE(h.view.horizontalScrollBar()->value(), 50);
        QCOMPARE(h.Grab().pixel(0, vh - 1), qRgb(25, (vh - 1) / 2, 7));
        // The readout follows the scrolling: (4 + 3) / 2 = 3.5 shows 4, the pixel
        // is column 3.
        h.view.horizontalScrollBar()->setValue(3);
        h.view.verticalScrollBar()->setValue(0);
        QCOMPARE(h.MoveTo({4, 0}), QStringLiteral("X座標 = 4 Y座標 = 0   RGB(3, 0, 7)"));
    }

    void transparentPixelsShowTheWindowOrTheCheckerboard() {
        // Index 1 is transparent: the window colour shows through it. In a
        // picture with an alpha plane, clear pixels show the matte colour.
        // With the checkerboard (off until chosen) both show its squares of
        // 8 picture pixels, and the readout keeps its colours.
        auto indexed = std::make_unique<CImage>();
        QVERIFY(indexed->Create(16, 4, 8, -1));
        const uint8_t rgb[] = {200, 10, 10, 10, 200, 10};
        indexed->SetPalette(2, rgb);
        indexed->Pixels().transparentIndex = 1;
        indexed->SetPixelIndex(1, 3, 1);  // top row, second column
        indexed->SetPixelIndex(9, 3, 1);
        auto alpha = std::make_unique<CImage>();
        QVERIFY(alpha->Create(16, 4, 24, -1) && alpha->Pixels().CreateAlpha());
        alpha->Pixels().AlphaRow(3)[1] = alpha->Pixels().AlphaRow(3)[9] = 0;
        const QRgb matte = qRgb(31, 127, 255);
        for (auto* picture : {&indexed, &alpha}) {
            const bool hasPlane = picture == &alpha;
            Harness h(std::move(*picture));
            const QRgb clear = hasPlane ? matte : h.vp()->palette().color(QPalette::Base).rgb();
            const QRgb opaque = hasPlane ? qRgb(0, 0, 0) : qRgb(200, 10, 10);
            QImage shot = h.Grab();
            QCOMPARE(shot.pixel(0, 0), opaque);
            QCOMPARE(shot.pixel(1, 0), clear);
            QCOMPARE(shot.pixel(9, 0), clear);
            const QString readout = h.MoveTo({1, 0});
            SetViewSwitch(ViewSwitch::kCheckerboard, true);
            h.view.OnShownChanged();
            shot = h.Grab();
            QCOMPARE(shot.pixel(0, 0), opaque);
            QCOMPARE(shot.pixel(1, 0), qRgb(255, 255, 255));
            QCOMPARE(shot.pixel(9, 0), qRgb(204, 204, 204));
            QCOMPARE(h.MoveTo({1, 0}), readout);
            QVERIFY(readout.endsWith(hasPlane ? QStringLiteral("RGB(31, 127, 255)")
                                              : QStringLiteral("RGB(10, 200, 10)")));
        }
    }

    void scrollingShiftsAndPaintsOnlyTheStrip() {
        // Scrolled either way, by less and by more than a window, the window
        // shows what painting it afresh gives, the edge line included (the
        // narrow picture has one on the right).
        const struct {
            int width, height, zoom;
            Qt::Orientation bar;
            int steps[5];
        } cases[] = {
            {500, 400, 2, Qt::Horizontal, {7, 1, -3, 400, -2}},
            {500, 400, 2, Qt::Vertical, {5, 11, -6, 300, -1}},
            {100, 400, 1, Qt::Vertical, {9, 2, -4, 250, -7}},
        };
        for (const auto& c : cases) {
            Harness h(Gradient(c.width, c.height));
            if (c.zoom == 2) h.view.OnZoomDouble();
            QScrollBar* bar =
                c.bar == Qt::Horizontal ? h.view.horizontalScrollBar() : h.view.verticalScrollBar();
            QWidget* vp = h.vp();
            PaintedArea painted;
            vp->installEventFilter(&painted);
            QApplication::processEvents();
            for (int step : c.steps) {
                painted.area = 0;
                const int before = bar->value();
                bar->setValue(before + step);
                step = bar->value() - before;  // the end of the range stops it
                QApplication::processEvents();
                const int across = c.bar == Qt::Horizontal ? vp->height() : vp->width();
                const int along = c.bar == Qt::Horizontal ? vp->width() : vp->height();
                QCOMPARE(painted.area, qint64(std::min(std::abs(step), along)) * across);
                QCOMPARE(h.Screen(), h.Grab());  // painted afresh
            }
        }
    }

    // What the window shows is kept between paints: after every change of
    // what it depends on, the window must show what a view made afresh over
    // the same document paints, never the pixels kept from before.
    void everyChangeShowsWhatAFreshViewPaints() {
        auto picture = Gradient(180, 120);
        QVERIFY(picture->Pixels().CreateAlpha());
        for (int x = 0; x < 60; ++x) picture->Pixels().AlphaRow(100)[x] = 0;
        Harness h(std::move(picture));
        const auto fresh = [&h] {
            CMapView view;
            view.setFrameShape(QFrame::NoFrame);
            view.setPalette(h.view.palette());
            view.resize(h.view.size());
            view.OnShowPixelGrid(h.view.PixelGridShown());
            view.SetDocument(&h.doc);
            if (!h.view.AreasShown()) view.OnToggleAreas();
            view.SetZoom(h.view.GetZoom());
            view.show();
            if (!QTest::qWaitForWindowExposed(&view)) return QImage();
            view.horizontalScrollBar()->setValue(h.view.horizontalScrollBar()->value());
            view.verticalScrollBar()->setValue(h.view.verticalScrollBar()->value());
            return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const auto scrollTo = [&h](int x, int y) {
            h.view.horizontalScrollBar()->setValue(x);
            h.view.verticalScrollBar()->setValue(y);
        };
        const std::pair<const char*, std::function<void()>> changes[] = {
            {"shown", [] {}},
            {"zoom 200 %", [&h] { h.view.OnZoomDouble(); }},
            {"scroll", [&] { scrollTo(37, 23); }},
            {"scroll by more than the window", [&] { scrollTo(0, 230); }},
            {"scroll back up by part of it", [&] { scrollTo(25, 190); }},
            {"resize", [&h] { h.view.resize(260, 170); }},
            {"zoom 1600 % and the pixel grid",
             [&] {
                 h.view.SetZoom(16);
                 h.view.OnShowPixelGrid(true);
                 scrollTo(700, 1540);
             }},
            {"zoom 25 %", [&h] { h.view.SetZoom(ZoomScale::Ratio(1, 4)); }},
            {"checkerboard",
             [&h] {
                 h.view.OnZoomNormal();
                 SetViewSwitch(ViewSwitch::kCheckerboard, true);
                 h.view.OnShownChanged();
             }},
            {"window colour",
             [&h] {
                 QPalette palette = h.view.palette();
                 palette.setColor(QPalette::Base, QColor(12, 80, 160));
                 h.view.setPalette(palette);
             }},
            {"areas",
             [&h] {
                 h.pane.SetWindowText(
                     "<map name=\"m\">\r\n<area coords=\"10,10,60,40\" "
                     "href=\"a\">\r\n</map>");
                 h.view.MapAreas().RefreshAreas();
             }},
            {"areas hidden", [&h] { h.view.OnToggleAreas(); }},
            {"another picture",
             [&h] {
                 h.doc.m_pImage = Gradient(120, 180);
                 h.view.OnInitialUpdate();
             }},
            {"its pixels replaced unannounced",
             [&h] {
                 CImage& image = *h.doc.m_pImage;
                 QVERIFY(image.Create(120, 180, 24, -1));
                 image.SetPixelRGB(5, 170, 250, 20, 20);
                 h.vp()->update();
             }},
        };
        for (const auto& [what, change] : changes) {
            change();
            QApplication::processEvents();  // the scroll bars shown or hidden
            QVERIFY2(h.Screen() == fresh(), what);
        }
    }

    // An edit repaints the outlines it changed and nothing else, and what
    // the window then shows is what a whole repaint draws: the numbers of the
    // areas after an inserted one, a shrunk or removed outline, a selection.
    void editsRepaintOnlyTheOutlinesTheyChange() {
        const auto area = [](const char* coords, const char* alt) {
            return std::string("<area coords=\"") + coords + "\" href=\"a\" alt=\"" + alt +
                   "\">\r\n";
        };
        const std::string a = area("10,10,60,40", "a"), b = area("150,100,200,150", "b"),
                          c = area("230,20,280,60", "c");
        Harness h(Gradient(290, 190));
        h.pane.SetWindowText("<map name=\"m\">\r\n" + a + b + c + "</map>");
        h.view.MapAreas().RefreshAreas();
        h.view.MapAreas().SelectArea(2);
        QApplication::processEvents();
        PaintedArea painted;
        h.vp()->installEventFilter(&painted);
        // The area painted for the edit; the grab that follows paints all.
        const auto edit = [&h, &painted](const std::string& text) {
            h.pane.SetWindowText("<map name=\"m\">\r\n" + text + "</map>");
            h.view.MapAreas().RefreshAreas();
            painted.area = 0;
            const QImage screen = h.Screen();
            const qint64 area = painted.area;
            if (screen != h.Grab()) return qint64(-1);
            return area;
        };
        QCOMPARE(edit(area("10,10,60,40", "a typed alt") + b + c), qint64(0));
        // A corner moved: around that area only, old and new place.
        const qint64 moved =
            edit(area("10,10,60,40", "a typed alt") + area("150,100,210,160", "b") + c);
        QVERIFY(moved > 0 && moved < qint64(h.vp()->width()) * h.vp()->height() / 4);
        for (const std::string& text :
             {area("10,10,60,40", "x") + area("100,120,120,140", "new") + b + c, a + c, a})
            QVERIFY(edit(text) >= 0);
        QCOMPARE(h.view.MapAreas().SelectedAreas(), QList<int>{});
    }
};

QTEST_MAIN(MapViewTest)
#include "map_view_test.moc"
