// SPDX-License-Identifier: GPL-3.0-or-later
// The view below and above actual size: readout, painting, areas drawn and reshaped, Ctrl+wheel.

#define QTEST_QPA_MOUSE_HANDLING
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

#include "support/pictures.h"
#include "support/view_harness.h"

namespace {

struct Harness : ViewHarness {
    explicit Harness(const std::string& text = "<map name=\"m\">\r\n</map>")
        : ViewHarness(text, testutil::Gradient(400, 300), QSize(300, 200)) {
        Show();
    }
    void Zoom(const char* level) {
        view.SetZoom(*ZoomScale::Parse(level), QPoint(0, 0));
        view.horizontalScrollBar()->setValue(0);
        view.verticalScrollBar()->setValue(0);
    }
};

}  // namespace

class ZoomViewTest : public QObject {
    Q_OBJECT
private slots:
    void readoutAndPixelsAtEachLevel() {
        const struct {
            const char* level;
            QPoint at;
            const char* text;
            QRgb shown;  // the screen pixel there
        } cases[] = {
            {"400%", {10, 5}, "X座標 = 2 Y座標 = 1   RGB(2, 1, 7)", qRgb(2, 1, 7)},
            {"1600%", {31, 16}, "X座標 = 1 Y座標 = 1   RGB(1, 1, 7)", qRgb(1, 1, 7)},
            {"66.7%", {10, 5}, "X座標 = 15 Y座標 = 7   RGB(15, 7, 7)", qRgb(15, 8, 7)},
            // Each screen pixel the mean of the picture pixels it covers.
            {"50%", {5, 3}, "X座標 = 10 Y座標 = 6   RGB(10, 6, 7)", qRgb(11, 7, 7)},
            // Through the halved copy at 50 %: 7 and 9 weighed 2 : 1.
            {"33.3%", {2, 1}, "X座標 = 6 Y座標 = 3   RGB(6, 3, 7)", qRgb(8, 4, 7)},
            {"6.25%", {1, 1}, "X座標 = 16 Y座標 = 16   RGB(16, 16, 7)", qRgb(24, 24, 7)},
            {"6.25%", {25, 1}, " ", qRgb(0, 0, 0)},  // the edge line: 400 / 16
        };
        for (const auto& c : cases) {
            Harness h;
            h.Zoom(c.level);
            // Below actual size the halved copies are begun by the first paint.
            if (std::atof(c.level) < 100) QTRY_VERIFY(h.view.PyramidReady());
            QVERIFY(h.view.PyramidReady() == (std::atof(c.level) < 100));
            QCOMPARE(h.MoveTo(c.at), QString::fromUtf8(c.text));
            QCOMPARE(h.Grab().pixel(c.at), c.shown);
        }
        // The pixel grid at 800 %: the first row and column of each square.
        Harness h;
        h.Zoom("800%");
        h.view.OnShowPixelGrid(true);
        const QImage shot = h.Grab();
        QCOMPARE(shot.pixel(8, 3), qRgb(0x40, 0x40, 0x43));
        QCOMPARE(shot.pixel(9, 3), qRgb(1, 0, 7));
    }

    void drawnAndDraggedCoordinatesAtEachLevel() {
        // Without a point to select, a rectangle drawn; with one, the corner
        // handle of a rectangle, caught 3 screen pixels off at every level:
        // its size on screen stays.
        const struct {
            const char* level;
            QPoint from, to, select;
            const char* coords;
        } cases[] = {
            {"400%", {10, 10}, {50, 30}, {}, "2,2,12,7"},
            {"33.3%", {3, 3}, {30, 21}, {}, "9,9,90,63"},
            {"6.25%", {1, 1}, {25, 18}, {}, "16,16,400,288"},
            {"400%", {83, 83}, {103, 91}, {60, 60}, "10,10,25,22"},
            {"50%", {13, 13}, {26, 24}, {7, 7}, "10,10,52,48"},
        };
        for (const auto& c : cases) {
            const bool reshape = !c.select.isNull();
            Harness h(std::string("<map name=\"m\">\r\n") +
                      (reshape ? "<area coords=\"10,10,20,20\">\r\n" : "") + "</map>");
            if (reshape) h.view.OnToolSelect();
            h.Zoom(c.level);
            if (reshape) h.Click(c.select);
            QCOMPARE(h.view.SelectedArea(), reshape ? 0 : -1);
            h.Drag(c.from, c.to);
            QVERIFY2(h.Text().find("coords=\"" + std::string(c.coords) + "\"") != std::string::npos,
                     h.Text().c_str());
        }
    }

    void theGridGivesTheSameCoordinatesAtEveryZoom() {
        // 97.2 % is a fit's level, between the presets.
        for (const std::string level : {"100%", "97.2%", "66.7%"}) {
            ViewHarness h("<map name=\"m\">\r\n</map>", testutil::Gradient(800, 200),
                          QSize(900, 300));
            h.store.WriteProfileInt("General", "Grid", 1);
            h.view.OnGridChanged();
            h.Show();
            h.view.SetZoom(
                level == "97.2%" ? ZoomScale::Ratio(972, 1000) : *ZoomScale::Parse(level),
                QPoint());
            // Where the readout shows those picture points.
            const AreaMapping at{h.view.GetZoom(), h.view.GetScrollPosition()};
            h.Drag(at.ToClient(QPointF(603, 35)).toPoint(),
                   at.ToClient(QPointF(777, 143)).toPoint());
            QVERIFY2(h.Text().find("coords=\"600,32,776,144\"") != std::string::npos,
                     (level + " " + h.Text()).c_str());
        }
    }

    void ctrlWheelKeepsThePixelUnderTheMouse() {
        Harness h;
        h.view.horizontalScrollBar()->setValue(50);
        h.view.verticalScrollBar()->setValue(50);
        const QPoint at(150, 100);
        const QString before = QStringLiteral("(200, 150, 7)");
        QCOMPARE(h.MoveTo(at).section(QStringLiteral("RGB"), 1), before);
        for (const auto& [angle, level] : {std::pair{120, "200%"}, {240, "400%"}, {-360, "100%"}}) {
            QWheelEvent wheel(QPointF(at), h.vp()->mapToGlobal(QPointF(at)), QPoint(),
                              QPoint(0, angle), Qt::NoButton, Qt::ControlModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(h.vp(), &wheel);
            QCOMPARE(h.view.GetZoom().PercentText(), std::string(level));
            QCOMPARE(h.MoveTo(at).section(QStringLiteral("RGB"), 1), before);
        }
        QVERIFY(h.store.GetProfileString("General", "Zoom", "") == "100%");
        // The level stored is the next view's; a garbled one reads as 100 %.
        for (const auto& [stored, shown] : {std::pair<std::string, std::string>{"6.25%", "6.25%"},
                                            {"fit", "100%"},
                                            {"7%", "100%"}}) {
            h.store.WriteProfileString("General", "Zoom", stored);
            CMapView next;
            QCOMPARE(next.GetZoom().PercentText(), shown);
            QCOMPARE(next.IsFitZoom(), stored == "fit");
        }
    }
};

QTEST_MAIN(ZoomViewTest)
#include "zoom_view_test.moc"
