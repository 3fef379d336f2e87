// Drawing areas in the map view with real mouse events: the events go
// through the platform layer, so a double-click arrives as Qt delivers it
// (press, release, press, double-click, release).

#define QTEST_QPA_MOUSE_HANDLING
#include <QMenu>
#include <QScrollBar>

#include "markup/area_markup.h"
#include "shell/view_harness.h"

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
const std::string kSkeleton = With("");

struct Harness : ViewHarness {
    explicit Harness(QSize picture = QSize(200, 100), QSize viewport = QSize(300, 200))
        : ViewHarness(kSkeleton, BlackPicture(picture.width(), picture.height()), viewport) {
        Show();
    }
};

}  // namespace

class DrawToolsTest : public QObject {
    Q_OBJECT
private slots:
    void dragReleasedOutsideTheViewOrAPlainClickMakesNoArea() {
        Harness h;          // the viewport is 300 x 200
        h.Click({10, 10});  // down and up on one point
        for (const bool circle : {false, true}) {
            circle ? h.view.OnToolCircle() : h.view.OnToolRect();
            for (const QPoint end :
                 {QPoint(70, -30), QPoint(-1, 50), QPoint(300, 50), QPoint(50, 200)}) {
                h.Drag({50, 20}, end);
                QVERIFY2(!h.view.IsDragging() && h.asked == 0,
                         qPrintable(QStringLiteral("released at %1,%2").arg(end.x()).arg(end.y())));
            }
        }
        QCOMPARE(h.Text(), kSkeleton);
        QCOMPARE(h.Screen(), h.Grab());  // no outline left behind
        h.Drag({50, 20}, {299, 199});    // the last pixel inside still counts
        QCOMPARE(h.asked, 1);
    }

    void circleAtBothZooms() {
        Harness h;
        h.view.OnToolCircle();
        h.Drag({10, 20}, {13, 24});
        h.view.OnZoomDouble();
        h.alt = std::string(1, 'B');  // a literal here trips GCC 12's -Wrestrict at -O3
        h.Drag({10, 20}, {13, 24});
        QCOMPARE(h.asked, 2);
        QCOMPARE(h.Text(), With(Area("circle", "10,20,5") + Area("circle", "5,10,2", "B")));
    }

    void polygonByClicksDoubleClickOrCancel() {
        Harness h;
        h.view.OnToolPolygon();
        h.Click({1, 1});
        h.Click({20, 1});
        // A rectangle drawn meanwhile leaves the open polygon alone.
        h.view.OnToolRect();
        h.Drag({60, 60}, {80, 80});
        h.view.OnToolPolygon();
        QCOMPARE(h.view.VertexCount(), 2);
        h.DoubleClick({20, 20});
        h.Click({5, 5});  // two vertices make a polygon too
        h.DoubleClick({30, 40});
        QCOMPARE(h.Text(), With(Area("rect", "60,60,80,80") + Area("poly", "1,1,20,1,20,20") +
                                Area("poly", "5,5,30,40")));

        // A double-click as the first action records one vertex, polygon open.
        h.DoubleClick({60, 70});
        QCOMPARE(h.asked, 3);
        QCOMPARE(h.view.Vertex(0), QPoint(60, 70));

        // A cancelled dialog adds nothing and ends the polygon all the same.
        h.answerOk = false;
        const std::string before = h.Text();
        h.DoubleClick({80, 80});
        QCOMPARE(h.asked, 4);
        QCOMPARE(h.Text(), before);
        QCOMPARE(h.view.VertexCount(), -1);
    }

    void boundsAndVertexLimit() {
        Harness h;  // W = 200, H = 100 at zoom 1
        h.Drag({201, 50}, {150, 60});
        QCOMPARE(h.asked, 0);
        h.Drag({200, 100}, {150, 60});
        QCOMPARE(h.asked, 1);

        h.view.OnToolPolygon();
        h.Click({201, 10});
        QCOMPARE(h.view.VertexCount(), -1);
        h.Click({200, 10});
        h.Click({10, 100});
        // The double-click's position must be inside too.
        h.DoubleClick({250, 10});
        QCOMPARE(h.asked, 1);
        QCOMPARE(h.view.VertexCount(), 2);

        // At most 256 vertices. (A null point would mean the centre to QTest.)
        for (int i = 0; i < 256; ++i) h.Click({1 + i % 150, 1 + i / 150});
        QCOMPARE(h.view.VertexCount(), 256);
        h.DoubleClick({199, 99});
        QVERIFY(h.Text().find(",103,2,104,2\" alt") != std::string::npos);
    }

    void pointsStayOnThePictureWhileScrolling() {
        Harness h(QSize(400, 300), QSize(200, 150));
        QScrollBar* across = h.view.horizontalScrollBar();
        QScrollBar* down = h.view.verticalScrollBar();
        // Each corner keeps the picture spot it was placed on; the one under
        // the mouse is where the mouse is at the end.
        h.view.OnToolPolygon();
        h.Click({10, 10});
        across->setValue(30);
        down->setValue(20);
        QCOMPARE(h.view.Vertex(0), QPoint(-20, -10));  // the outline follows
        h.Click({50, 10});
        down->setValue(0);
        h.DoubleClick({50, 60});
        // A drag with scrolling in the middle; at double size, half pixels count.
        h.view.OnToolRect();
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, {20, 30});
        down->setValue(45);
        QCOMPARE(h.view.AnchorPoint(), QPoint(20, -15));
        QTest::mouseMove(h.vp(), {100, 100});
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {100, 100});
        h.view.OnToolCircle();
        h.view.OnZoomDouble();
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, {51, 41});
        across->setValue(0);
        down->setValue(0);
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {50, 50});
        // A vertex placed before a change of zoom stays on its picture pixel.
        h.view.OnToolPolygon();
        h.Click({10, 10});
        h.view.OnZoomNormal();
        QCOMPARE(h.view.Vertex(0), QPoint(5, 5));
        QCOMPARE(h.Text(), With(Area("poly", "10,10,80,30,80,60") + Area("rect", "50,30,130,145") +
                                Area("circle", "40,42,23")));
    }

    void holdingTheButtonAtAnEdgeScrollsTheView() {
        Harness h(QSize(400, 300), QSize(200, 150));
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

    void escapeAndRightClickEndOrGiveUpDrawing() {
        Harness h;
        int menus = 0;
        h.view.SetMenuRunner([&](QMenu&, QPoint) { ++menus; });
        // A rubber band given up by Esc, then by the right button.
        for (const bool escape : {true, false}) {
            QTest::mousePress(h.vp(), Qt::LeftButton, {}, {20, 20});
            QTest::mouseMove(h.vp(), {60, 50});
            if (escape)
                QTest::keyClick(&h.view, Qt::Key_Escape);
            else
                QTest::mouseClick(h.vp(), Qt::RightButton, {}, {60, 50});
            QVERIFY(!h.view.IsDragging());
            QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {60, 50});
        }
        // A polygon given up by Esc; another ended by a right-click as its
        // last corner.
        h.view.OnToolPolygon();
        h.Click({1, 1});
        h.Click({20, 1});
        QTest::keyClick(&h.view, Qt::Key_Escape);
        QCOMPARE(h.view.VertexCount(), -1);
        h.Click({5, 5});
        h.Click({30, 5});
        QTest::mouseClick(h.vp(), Qt::RightButton, {}, {30, 40});
        QCOMPARE(h.asked, 1);
        QCOMPARE(menus, 0);
        QCOMPARE(h.Text(), With(Area("poly", "5,5,30,5,30,40")));
        QCOMPARE(h.Screen(), h.Grab());  // no outline left behind
        // With nothing in progress the right button opens the menu.
        QTest::mouseClick(h.vp(), Qt::RightButton, {}, {30, 40});
        QCOMPARE(menus, 1);
    }

    void tagSettingSwitchedBetweenAreas() {
        // Each drag must reach the core with the setting in force at that moment.
        Harness h;
        h.url = "Page.html";
        std::string expected = kSkeleton;
        const auto draw = [&](QPoint a, QPoint b, const char* alt) {
            h.alt = alt;
            h.Drag(a, b);
            expected = InsertAreaLine(
                expected, FormatRectArea({a.x(), a.y()}, {b.x(), b.y()}, {}, 1, alt, "Page.html"),
                MarkupSettings{GetTagSetting() != 0, ""});
            QCOMPARE(h.Text(), expected);
        };
        draw({1, 2}, {3, 4}, "A");
        SetTagSetting(1);
        draw({5, 6}, {7, 8}, "b");
        SetTagSetting(0);
        draw({9, 9}, {10, 10}, "b");
    }

    void rubberBandFollowsStateThroughRepaints() {
        Harness h;  // a black picture: the outline shows white
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, {20, 10});
        QTest::mouseMove(h.vp(), {60, 40});
        QTest::mouseMove(h.vp(), {80, 50});
        QImage shot = h.Grab();
        // The partial repaints leave the window as a full repaint would.
        QCOMPARE(h.Screen(), shot);
        // Every corner and edge of the rectangle 20,10 - 80,50; the outline of
        // the earlier position is gone.
        for (QPoint p : {QPoint(20, 10), QPoint(80, 50), QPoint(50, 10), QPoint(20, 30)})
            QCOMPARE(shot.pixel(p), white);
        for (QPoint p : {QPoint(60, 40), QPoint(60, 25), QPoint(50, 30)})
            QCOMPARE(shot.pixel(p), black);

        // While the dialog is up the finished outline stays; afterwards it is gone.
        h.answerOk = false;
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {80, 50});
        QCOMPARE(h.Text(), kSkeleton);  // cancelled
        QCOMPARE(h.shotDuringDialog.pixel(80, 30), white);
        QCOMPARE(h.Grab().pixel(80, 30), black);
    }
};

QTEST_MAIN(DrawToolsTest)
#include "draw_tools_test.moc"
