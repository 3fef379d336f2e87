// SPDX-License-Identifier: GPL-3.0-or-later
// Each tool in the shown map view by real mouse events: bounds, keys, the right button and its
// menu, auto-scroll, repaints, the pane, the settings, the readout and the area under the mouse.

#define QTEST_QPA_MOUSE_HANDLING
#include <QMenu>
#include <QScrollBar>

#include "support/view_harness.h"

namespace {

// The pane text with the given area lines before the closing tag.
std::string With(const std::string& lines) {
    return "<img src=\"p.bmp\" width=200 height=100 usemap=\"#map_p\">\r\n<map "
           "name=\"map_p\">\r\n" +
           lines + "</map>";
}
std::string Area(const char* shape, const char* coords, const char* alt = "A") {
    return std::string("<area shape=\"") + shape + "\" coords=\"" + coords + "\" alt=\"" + alt +
           "\" href=\"a.html\">\r\n";
}
const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0);

// Two overlapping areas and a polygon.
const std::string kRect = "<area shape=rect coords=\"10,10,100,80\" href=\"r.html\" alt=R>\r\n";
const std::string kCircle = "<AREA SHAPE='circle' COORDS='50,40,20' HREF='c.html'>\r\n";
const std::string kPoly = "<area shape=\"poly\" coords=\"120,10,180,10,150,60\" href=p.html>\r\n";

// A black picture, 200 x 100 unless said otherwise, the context menu counted.
struct Harness : ViewHarness {
    int menus = 0;
    explicit Harness(const std::string& text = With(""), QSize picture = QSize(200, 100),
                     QSize viewport = QSize(300, 200))
        : ViewHarness(text, BlackPicture(picture.width(), picture.height()), viewport) {
        areaMenu.SetMenuRunner([this](QMenu&, QPoint) { ++menus; });
        Show();
    }
    void Right(QPoint p) { QTest::mouseClick(vp(), Qt::RightButton, {}, p); }
};

// How many pixels of the row or column segment have the colour.
int Count(const QImage& image, QPoint from, QPoint to, QRgb colour) {
    const QPoint step(from.x() != to.x(), from.y() != to.y());
    int n = image.pixel(to) == colour;
    for (QPoint p = from; p != to; p += step) n += image.pixel(p) == colour;
    return n;
}

}  // namespace

class ViewToolsTest : public QObject {
    Q_OBJECT
private slots:
    void rectangleAndCircle() {
        Harness h;  // the viewport is 300 x 200
        h.answerOk = false;
        h.Click({10, 10});  // down and up on one point
        for (const bool circle : {false, true}) {
            circle ? h.view.OnToolCircle() : h.view.OnToolRect();
            // Released outside the window, or pressed beyond the picture.
            for (const QPoint end :
                 {QPoint(70, -30), QPoint(-1, 50), QPoint(300, 50), QPoint(50, 200)})
                h.Drag({50, 20}, end);
            h.Drag({201, 50}, {150, 60});
            QVERIFY(!h.view.IsDragging());
        }
        QCOMPARE(h.asked, 0);
        QCOMPARE(h.Screen(), h.Grab());  // no outline left behind
        h.Drag({50, 20}, {299, 199});    // the last pixel inside still counts
        h.Drag({200, 100}, {150, 60});   // so does the picture's far corner
        QCOMPARE(h.asked, 2);

        // The partial repaints of a rubber band leave the window as a full
        // repaint would: its corners and edges white, the earlier one gone.
        h.view.OnToolRect();
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, {20, 10});
        QTest::mouseMove(h.vp(), {60, 40});
        QTest::mouseMove(h.vp(), {80, 50});
        const QImage shot = h.Grab();
        QCOMPARE(h.Screen(), shot);
        for (QPoint p : {QPoint(20, 10), QPoint(80, 50), QPoint(50, 10), QPoint(20, 30)})
            QCOMPARE(shot.pixel(p), kWhite);
        for (QPoint p : {QPoint(60, 40), QPoint(60, 25), QPoint(50, 30)})
            QCOMPARE(shot.pixel(p), kBlack);
        // While the dialog is up the finished outline stays; afterwards it is gone.
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {80, 50});
        QCOMPARE(h.shotDuringDialog.pixel(80, 30), kWhite);
        QCOMPARE(h.Grab().pixel(80, 30), kBlack);
        QCOMPARE(h.Text(), With(""));  // all cancelled

        // Each area is written with the tag setting in force at its release.
        h.answerOk = true;
        h.url = "Page.html";
        h.Drag({1, 2}, {3, 4});
        SetTagSetting(1);
        h.alt = std::string(1, 'b');  // a literal here trips GCC 12's -Wrestrict at -O3
        h.Drag({5, 6}, {7, 8});
        SetTagSetting(0);
        h.view.OnToolCircle();
        h.Drag({10, 20}, {13, 24});
        QCOMPARE(
            h.Text(),
            "<IMG SRC=\"p.bmp\" WIDTH=200 HEIGHT=100 USEMAP=\"#map_p\">\r\n<MAP NAME=\"map_p\">\r\n"
            "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"A\" HREF=\"Page.html\">\r\n</MAP>"
            "<AREA SHAPE=\"rect\" COORDS=\"5,6,7,8\" ALT=\"b\" HREF=\"Page.html\">\r\n</MAP>"
            "<area shape=\"circle\" coords=\"10,20,5\" alt=\"b\" href=\"Page.html\">\r\n</map>");
    }

    void polygon() {
        Harness h;
        h.view.OnToolPolygon();
        h.Click({201, 10});  // beyond the picture: no corner
        QCOMPARE(h.view.VertexCount(), -1);
        h.Click({1, 1});
        h.Click({20, 1});
        // A rectangle drawn meanwhile leaves the open polygon alone.
        h.view.OnToolRect();
        h.Drag({60, 60}, {80, 80});
        h.view.OnToolPolygon();
        QCOMPARE(h.view.VertexCount(), 2);
        h.DoubleClick({20, 20});
        h.Click({200, 100});       // the picture's far corner counts
        h.DoubleClick({250, 10});  // beyond the picture: the polygon stays open
        QCOMPARE(h.view.VertexCount(), 1);
        QTest::keyClick(&h.view, Qt::Key_Escape);
        QCOMPARE(h.view.VertexCount(), -1);
        h.Click({5, 5});
        h.Click({30, 5});
        h.Right({30, 40});  // the last corner
        QCOMPARE(h.Text(), With(Area("rect", "60,60,80,80") + Area("poly", "1,1,20,1,20,20") +
                                Area("poly", "5,5,30,5,30,40")));
        QCOMPARE(h.Screen(), h.Grab());  // no outline left behind
        QCOMPARE(h.menus, 0);
        h.Right({30, 40});  // nothing in progress: the menu
        QCOMPARE(h.menus, 1);
        // A right-click where the last click put a corner adds none.
        for (QPoint p : {QPoint(5, 50), QPoint(40, 50), QPoint(40, 70)}) h.Click(p);
        h.Right({40, 70});
        QVERIFY(h.Text().ends_with(Area("poly", "5,50,40,50,40,70") + "</map>"));
    }

    void holdingTheButtonAtAnEdgeScrollsTheView() {
        Harness h(With(""), QSize(400, 300), QSize(200, 150));
        const QPoint corner(h.vp()->width() - 5, h.vp()->height() - 5);
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, {20, 20});
        QTest::mouseMove(h.vp(), corner);
        QScrollBar* across = h.view.horizontalScrollBar();
        QScrollBar* down = h.view.verticalScrollBar();
        QTRY_VERIFY(across->value() == across->maximum() && down->value() == down->maximum());
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, corner);
        // The far corner of the picture, 5 pixels in: beyond the first view.
        QCOMPARE(h.Text(), With(Area("rect", "20,20,395,295")));
        // The selection's corner handle dragged back to the top-left corner.
        h.view.OnToolSelect();
        h.Click(corner - QPoint(20, 20));
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, corner);
        QTest::mouseMove(h.vp(), corner - QPoint(10, 10));
        QTest::mouseMove(h.vp(), {2, 2});
        QTRY_VERIFY(across->value() == 0 && down->value() == 0);
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {2, 2});
        QCOMPARE(h.Text(), With(Area("rect", "20,20,2,2")));
        // With the button up nothing scrolls.
        QTest::mouseMove(h.vp(), corner);
        QTest::qWait(100);
        QCOMPARE(across->value(), 0);
    }

    void areasShowTheirNumberAndColourUnlessSwitchedOff() {
        Harness h(With(kRect + kPoly));
        const auto tint = [](QRgb p) { return p != kBlack; };
        QImage shot = h.Grab();
        QVERIFY(tint(shot.pixel(60, 60)) && tint(shot.pixel(150, 30)));
        QVERIFY(shot.pixel(60, 60) != shot.pixel(150, 30));  // each its own colour
        QCOMPARE(shot.pixel(12, 12), AreaColour(0).rgb());   // the number's box at the first corner
        QCOMPARE(shot.pixel(122, 12), AreaColour(1).rgb());
        h.view.MapAreas().SelectArea(0);  // selected: stronger
        QVERIFY(qRed(h.Grab().pixel(60, 60)) > qRed(shot.pixel(60, 60)));
        h.view.MapAreas().SelectArea(-1);
        SetViewSwitch(ViewSwitch::kAreaFill, false);
        SetViewSwitch(ViewSwitch::kAreaLabels, false);
        h.view.OnShownChanged();
        shot = h.Grab();
        for (QPoint p : {QPoint(60, 60), QPoint(150, 30), QPoint(12, 12), QPoint(122, 12)})
            QCOMPARE(shot.pixel(p), kBlack);
    }

    void outlinesShowValidAndInvalidAreas() {
        // A valid rectangle and a polygon with an odd number of coordinates.
        Harness h(With(kRect + "<area shape=poly coords=\"120,10,180,10,150\">\r\n"));
        QImage shot = h.Grab();
        // Dashes on a black picture: white gaps along each edge of the rectangle.
        QVERIFY(Count(shot, {12, 10}, {98, 10}, kWhite) > 30);
        QVERIFY(Count(shot, {100, 12}, {100, 78}, kWhite) > 25);
        // The invalid polygon is drawn in red as far as its numbers go.
        QVERIFY(Count(shot, {122, 10}, {178, 10}, qRgb(0xE0, 0x10, 0x10)) > 20);
        QCOMPARE(shot.pixel(50, 40), qRgb(45, 31, 0));  // the first colour, lightly
        // Hidden, then the text changes and the outline follows once shown again.
        h.view.OnToggleAreas();
        QVERIFY(!h.view.AreasShown());
        QCOMPARE(Count(h.Grab(), {12, 10}, {98, 10}, kWhite), 0);
        h.pane.SetWindowText(With("<area coords=\"10,20,100,30\" href=x>\r\n"));
        h.view.MapAreas().RefreshAreas();
        h.view.OnToggleAreas();
        shot = h.Grab();
        QCOMPARE(Count(shot, {12, 10}, {98, 10}, kWhite), 0);
        QVERIFY(Count(shot, {12, 20}, {98, 20}, kWhite) > 30);
        // At double size the outline lies at twice the coordinates.
        h.view.OnZoomDouble();
        QVERIFY(Count(h.Grab(), {22, 40}, {198, 40}, kWhite) > 60);
    }

    // The area a browser picks: under the mouse (signal and readout), and
    // selected by a click, its tag marked in the pane.
    void browserPickHoveredAndSelected() {
        Harness h(With(kRect + kCircle + kPoly));
        h.view.OnToolSelect();
        QList<int> hovered;
        connect(&h.view, &CMapView::hoveredAreaChanged, [&](int area) { hovered << area; });
        const size_t none = TextRange::npos;
        const struct {
            QPoint at;
            int area;
            size_t begin, end;  // the tag marked in the pane
            const char* status;
        } cases[] = {
            // In both the rectangle and the circle: the first in the text.
            {{50, 40}, 0, 76, 135, "X座標 = 50 Y座標 = 40   RGB(0, 0, 0)  r.html"},
            {{100, 80}, 0, 76, 135, "X座標 = 100 Y座標 = 80   RGB(0, 0, 0)  r.html"},  // its corner
            {{150, 30}, 2, 192, 253, "X座標 = 150 Y座標 = 30   RGB(0, 0, 0)  p.html"},
            {{101, 40}, -1, none, none, "X座標 = 101 Y座標 = 40   RGB(0, 0, 0)"},  // just right
        };
        for (const auto& c : cases) {
            // The first overlap adds how to reach the covered area.
            QCOMPARE(h.MoveTo(c.at).section(QString::fromUtf8("  重なった"), 0, 0),
                     QString::fromUtf8(c.status));
            h.Click(c.at);
            QCOMPARE(h.view.SelectedArea(), c.area);
            QCOMPARE(h.pane.Shown().begin, c.begin);
            QCOMPARE(h.pane.Shown().end, c.end);
            if (c.area >= 0) QCOMPARE(h.pane.GetCaret(), c.begin);
        }
        h.MoveTo({15, 15});
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(h.vp(), &leave);
        h.MoveTo({15, 15});
        // The area under a resting mouse deleted; then the picture closed.
        h.Click({15, 15});
        QTest::keyClick(&h.view, Qt::Key_Delete);
        QCOMPARE(h.status, QString::fromUtf8("X座標 = 15 Y座標 = 15   RGB(0, 0, 0)"));
        QCOMPARE(hovered, (QList<int>{0, 2, -1, 0, -1, 0, -1}));
        h.doc.m_pImage.reset();
        h.view.OnInitialUpdate();
        QCOMPARE(h.status, QString());
        // Another tool drops the selection.
        h.view.OnToolRect();
        QCOMPARE(h.view.SelectedArea(), -1);
    }

    void doubleClickAndContextMenuEditTheArea() {
        Harness h(With(kRect + kCircle + kPoly));
        h.view.OnToolSelect();
        h.url = "new.html";
        h.alt = "New";
        h.DoubleClick({50, 40});
        QCOMPARE(h.askedUrl + " " + h.askedAlt, std::string("r.html R"));
        const std::string rect =
            "<area shape=rect coords=\"10,10,100,80\" href=\"new.html\" alt=New>\r\n";
        QCOMPARE(h.Text(), With(rect + kCircle + kPoly));
        h.answerOk = false;  // cancelled: nothing changes
        h.DoubleClick({50, 40});
        QCOMPARE(h.Text(), With(rect + kCircle + kPoly));

        h.answerOk = true;
        h.url = "p.html";
        QStringList items;
        const char* pick = "";
        h.areaMenu.SetMenuRunner([&](QMenu& menu, QPoint) {
            items.clear();
            for (QAction* action : menu.actions()) {
                if (action->isSeparator()) continue;
                items << action->text() + (action->isChecked() ? "*" : "");
                if (action->text().startsWith(QString::fromUtf8(pick))) action->trigger();
            }
        });
        h.Right({190, 90});
        QCOMPARE(items.join(' '),
                 QString::fromUtf8(
                     "円 (&C)\tC 矩形 (&R)\tR 多角形 （&P)\tP 選択 (&S)\tS* 輪郭 (&O)\tO"));
        // Over an area, the one a browser picks; each command one edit. The
        // copy has no alt: the link's edit adds it, its unchanged href stays
        // as written.
        const std::string moved =
            "<area shape=\"poly\" coords=\"130,20,190,20,160,70\" href=p.html";
        const std::string copy = moved + ">\r\n";
        const struct {
            QPoint at;
            const char* pick;
            std::string text;
        } cases[] = {
            {{150, 30}, "前面へ", With(rect + kPoly + kCircle)},
            {{50, 40}, "背面へ", With(kPoly + rect + kCircle)},
            {{150, 30}, "複製", With(kPoly + copy + rect + kCircle)},
            {{150, 30}, "削除", With(copy + rect + kCircle)},
            {{150, 30}, "編集", With(moved + " alt=\"New\">\r\n" + rect + kCircle)},
        };
        for (const auto& c : cases) {
            pick = c.pick;
            const uint64_t revision = h.pane.Revision();
            h.Right(c.at);
            QCOMPARE(items.size(), 5);
            QCOMPARE(h.pane.Revision(), revision + 1);
            QCOMPARE(h.Text(), c.text);
        }
        QCOMPARE(h.askedUrl + " " + h.askedAlt, std::string("p.html "));
    }

    void outlineTool() {
        // A black picture with a red block at x 100..149, y 50..89.
        auto picture = BlackPicture(200, 100);
        for (int y = 50; y < 90; ++y)
            for (int x = 100; x < 150; ++x) picture->SetPixelRGB(x, 99 - y, 200, 30, 30);
        ViewHarness h("</map>", std::move(picture), QSize(300, 200));
        h.view.OnToolTrace();
        h.Show();
        QCOMPARE(h.view.GetTool(), CMapView::kToolTrace);
        // The preview is drawn: a pixel on its edge differs from the picture.
        QTest::mouseMove(h.vp(), {120, 70});
        QTRY_VERIFY(!h.view.OutlineRegion().isEmpty());
        QVERIFY(h.Grab().pixel(120, 50) != qRgb(200, 30, 30));
        QEvent leave(QEvent::Leave);  // the mouse leaves the window: no preview
        QApplication::sendEvent(h.vp(), &leave);
        QVERIFY(h.view.OutlineRegion().isEmpty());
        QCOMPARE(h.Screen(), h.Grab());
        QTest::mouseMove(h.vp(), {121, 71});
        QTRY_VERIFY(!h.view.OutlineRegion().isEmpty());
        h.view.OnToolRect();
        h.view.OnToolTrace();  // taken up again: no preview before the mouse moves
        QVERIFY(h.view.OutlineRegion().isEmpty());
        h.Click({120, 70});
        QCOMPARE(h.Text(),
                 "<area shape=\"poly\" coords=\"100,50,150,50,150,90,100,90\" alt=\"A\" "
                 "href=\"a.html\">\r\n</map>");
    }
};

QTEST_MAIN(ViewToolsTest)
#include "view_tools_test.moc"
