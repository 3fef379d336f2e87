// SPDX-License-Identifier: GPL-3.0-or-later
// The select tool in a real view, checked on the pane text.

#define QTEST_QPA_MOUSE_HANDLING
#include <QClipboard>
#include <QMenu>

#include "support/view_harness.h"

namespace {

std::string With(const std::string& lines) {
    return "<map name=\"m\">\r\n" + lines + "</map>";
}

const std::string kRect = "<area shape=rect coords=\"10,10,100,80\" href=\"r.html\">\r\n";
const std::string kCircle = "<area shape=circle coords=\"50,40,20\" href=c.html>\r\n";
const std::string kPoly = "<area shape=poly coords=\"120,10,180,10,150,60\" href=p.html>\r\n";

// The pane with the rectangle and the circle at the coordinates given.
std::string Moved(const char* rect, const char* circle) {
    return With(std::string("<area shape=rect coords=\"") + rect + "\" href=\"r.html\">\r\n" +
                "<area shape=circle coords=\"" + circle + "\" href=c.html>\r\n" + kPoly);
}

struct Harness : ViewHarness {
    explicit Harness(const std::string& text = With(kRect + kCircle + kPoly))
        : ViewHarness(text, BlackPicture(200, 100), QSize(300, 200)) {
        view.OnToolSelect();
        Show();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&view, Qt::Key(key), modifiers);
    }
    void Click(QPoint p, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(vp(), Qt::LeftButton, modifiers, p);
    }
    void ShiftRelease(QPoint from, QPoint via, QPoint to) {
        QTest::mousePress(vp(), Qt::LeftButton, {}, from);
        QTest::mouseMove(vp(), via);
        QTest::mouseRelease(vp(), Qt::LeftButton, Qt::ShiftModifier, to);
    }
};

}  // namespace

class SelectGroupTest : public QObject {
    Q_OBJECT
private slots:
    void severalAreasMoveAndGoTogether() {
        Harness h;
        QList<QList<int>> signalled;
        connect(&h.view, &CMapView::selectionChanged, [&](const QList<int>& a) { signalled << a; });
        // A band that holds the circle and the polygon but not all of the rectangle.
        h.Drag({25, 5}, {190, 70});
        QCOMPARE(h.view.MapAreas().SelectedAreas(), (QList<int>{1, 2}));
        h.Click({20, 20}, Qt::ShiftModifier);
        h.Click({150, 30}, Qt::ShiftModifier);
        QCOMPARE(h.view.MapAreas().SelectedAreas(), (QList<int>{0, 1}));
        QCOMPARE(signalled.last(), (QList<int>{0, 1}));
        // A drag from inside one moves both; the rectangle stops them at the bottom.
        h.Drag({20, 20}, {25, 50});
        QCOMPARE(h.Text(), Moved("15,30,105,100", "55,60,20"));
        h.Key(Qt::Key_Left);
        h.Key(Qt::Key_Down);
        QCOMPARE(h.Text(), Moved("14,30,104,100", "54,60,20"));
        // The context menu on one of them: 揃える > 右 moves the circle.
        h.areaMenu.SetMenuRunner([](QMenu& menu, QPoint) {
            for (QAction* item : menu.actions())
                if (item->text() == QString::fromUtf8("揃える (&A)"))
                    item->menu()->actions()[1]->trigger();
        });
        QTest::mouseClick(h.vp(), Qt::RightButton, {}, {20, 40});
        QCOMPARE(h.Text(), Moved("14,30,104,100", "84,60,20"));
        h.Key(Qt::Key_Delete);
        QCOMPARE(h.Text(), With(kPoly));
        QCOMPARE(h.view.MapAreas().SelectedAreas(), QList<int>{});
    }

    void altClickCyclesInBrowserOrder() {
        Harness h(With("<area shape=default href=d>\r\n" + kRect + kCircle));
        for (int area : {1, 2, 0, 1, 2}) {
            h.Click({40, 45}, Qt::AltModifier);
            QCOMPARE(h.view.SelectedArea(), area);
        }
        h.Click({40, 45}, {});  // a plain click picks what the browser picks
        QCOMPARE(h.view.SelectedArea(), 1);
        // Tab and Shift+Tab do the same without a modifier a window manager takes.
        for (auto [key, area] : {std::pair{Qt::Key_Tab, 2},
                                 {Qt::Key_Tab, 0},
                                 {Qt::Key_Backtab, 2},
                                 {Qt::Key_Backtab, 1}}) {
            h.Key(key);
            QCOMPARE(h.view.SelectedArea(), area);
        }
        // The first overlap under the pointer says how, until the pointer leaves it.
        const QString how = QStringLiteral("Tab");
        QVERIFY(h.MoveTo({40, 45}).contains(how));
        QVERIFY(h.MoveTo({41, 45}).contains(how));
        QVERIFY(!h.MoveTo({195, 95}).contains(how));
        QVERIFY(!h.MoveTo({40, 45}).contains(how));
        // The readout goes with the mouse when it leaves the view.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(h.vp(), &leave);
        QCOMPARE(h.status, QString());
    }

    void cornersAddedOnAnEdgeAndRemoved() {
        Harness h(With(kPoly));
        h.Click({150, 30}, {});
        h.DoubleClick({150, 8});  // just outside the edge, within a handle's reach
        const std::string four =
            With("<area shape=poly coords=\"120,10,150,8,180,10,150,60\" href=p.html>\r\n");
        QCOMPARE(h.Text(), four);
        // Insert over the edge from (150, 60) back to (120, 10).
        h.MoveTo({135, 35});
        h.Key(Qt::Key_Insert);
        QCOMPARE(h.Text(), With("<area shape=poly coords=\"120,10,150,8,180,10,150,60,135,35\" "
                                "href=p.html>\r\n"));
        h.Click({135, 35}, {});
        h.Key(Qt::Key_Backspace);
        QCOMPARE(h.Text(), four);
        h.Click({150, 10}, {});
        h.Key(Qt::Key_Delete);
        QCOMPARE(h.Text(), With(kPoly));
        // Three corners stay, and the area too.
        h.Key(Qt::Key_Delete);
        QCOMPARE(h.Text(), With(kPoly));
    }

    void copiesTravelAsText() {
        Harness h;
        h.Click({150, 30}, {});
        h.Click({20, 20}, Qt::ShiftModifier);
        h.Key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromStdString(
                     "<area shape=rect coords=\"10,10,100,80\" href=\"r.html\">\r\n"
                     "<area shape=poly coords=\"120,10,180,10,150,60\" href=p.html>"));
        h.Key(Qt::Key_V, Qt::ControlModifier);
        const std::string pasted =
            "<area shape=rect coords=\"20,20,110,90\" href=\"r.html\">\r\n"
            "<area shape=poly coords=\"130,20,190,20,160,70\" href=p.html>\r\n";
        QCOMPARE(h.Text(), With(kRect + kCircle + kPoly + pasted));
        // Cut and pasted again, then duplicated: each stops at the picture's edges.
        h.Key(Qt::Key_X, Qt::ControlModifier);
        h.Key(Qt::Key_V, Qt::ControlModifier);
        h.Key(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(h.Text(),
                 With(kRect + kCircle + kPoly +
                      "<area shape=rect coords=\"30,30,120,100\" href=\"r.html\">\r\n"
                      "<area shape=rect coords=\"40,30,130,100\" href=\"r.html\">\r\n"
                      "<area shape=poly coords=\"140,30,200,30,170,80\" href=p.html>\r\n"
                      "<area shape=poly coords=\"140,40,200,40,170,90\" href=p.html>\r\n"));
        QCOMPARE(h.view.MapAreas().SelectedAreas(), (QList<int>{4, 6}));
    }

    void gridAndShiftWhileDrawing() {
        Harness h(With(kRect));
        h.store.WriteProfileInt("General", "Grid", 1);
        h.view.OnGridChanged();
        const QImage grid = h.Grab();  // a dot every 8 pixels, nothing between
        QCOMPARE(grid.pixel(88, 8), qRgb(128, 128, 128));
        QCOMPARE(grid.pixel(92, 8), qRgb(0, 0, 0));
        // Moving: the first corner snaps to the 8-pixel grid.
        h.Click({20, 20}, {});
        h.Drag({20, 20}, {25, 30});
        QCOMPARE(h.Text(), With("<area shape=rect coords=\"16,24,106,94\" href=\"r.html\">\r\n"));
        h.store.WriteProfileInt("General", "GridSpacing", 10);
        h.view.OnToolRect();
        h.Drag({122, 13}, {163, 44});
        // Beyond the picture's bottom (100) the grid line before it counts.
        h.store.WriteProfileInt("General", "GridSpacing", 8);
        h.Drag({150, 90}, {199, 100});
        h.store.WriteProfileInt("General", "Grid", 0);
        // Shift on release: a square, and a circle's radius along an axis.
        h.ShiftRelease({10, 10}, {40, 20}, {50, 30});
        h.view.OnToolCircle();
        h.ShiftRelease({150, 50}, {155, 52}, {160, 53});
        const std::vector<AreaTag> areas = ParseAreas(h.Text());
        QCOMPARE(areas.size(), size_t(5));
        QCOMPARE(areas[1].coords, (std::vector<double>{120, 10, 160, 40}));
        QCOMPARE(areas[2].coords, (std::vector<double>{152, 88, 200, 96}));
        QCOMPARE(areas[3].coords, (std::vector<double>{10, 10, 50, 50}));
        QCOMPARE(areas[4].coords, (std::vector<double>{150, 50, 10}));
    }
};

QTEST_MAIN(SelectGroupTest)
#include "select_group_test.moc"
