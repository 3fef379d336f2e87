// The areas of the pane on the picture: outlines, and the selection tool's
// click, drags, keys and double-click, each checked on the pane text.

#define QTEST_QPA_MOUSE_HANDLING
#include <QMenu>

#include "shell/view_harness.h"

namespace {

std::string With(const std::string& lines) {
    return "<img src=\"p.bmp\" width=200 height=100 usemap=\"#m\">\r\n<map name=\"m\">\r\n" +
           lines + "</map>";
}

// Two overlapping areas and a polygon; the picture is 200 x 100.
const std::string kRect = "<area shape=rect coords=\"10,10,100,80\" href=\"r.html\" alt=R>\r\n";
const std::string kCircle = "<AREA SHAPE='circle' COORDS='50,40,20' HREF='c.html'>\r\n";
const std::string kPoly = "<area shape=\"poly\" coords=\"120,10,180,10,150,60\" href=p.html>\r\n";

struct Harness : ViewHarness {
    explicit Harness(const std::string& text = With(kRect + kCircle + kPoly))
        : ViewHarness(text, BlackPicture(200, 100), QSize(300, 200)) {
        view.OnToolSelect();
        Show();
    }
};

// How many pixels of the row or column segment have the colour.
int Count(const QImage& image, QPoint from, QPoint to, QRgb colour) {
    int n = 0;
    for (QPoint p = from;; p += QPoint(from.x() == to.x() ? 0 : 1, from.y() == to.y() ? 0 : 1)) {
        if (image.pixel(p) == colour) ++n;
        if (p == to) break;
    }
    return n;
}

}  // namespace

class SelectToolTest : public QObject {
    Q_OBJECT
private slots:
    void outlinesShowValidAndInvalidAreas() {
        // A valid rectangle and a polygon with an odd number of coordinates.
        Harness h(With(kRect + "<area shape=poly coords=\"120,10,180,10,150\">\r\n"));
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        QImage shot = h.Grab();
        // Dashes on a black picture: white gaps along each edge of the rectangle.
        QVERIFY(Count(shot, {12, 10}, {98, 10}, white) > 30);
        QVERIFY(Count(shot, {100, 12}, {100, 78}, white) > 25);
        // The invalid polygon is drawn in red as far as its numbers go.
        QVERIFY(Count(shot, {122, 10}, {178, 10}, qRgb(0xE0, 0x10, 0x10)) > 20);
        QCOMPARE(shot.pixel(50, 40), black);

        // Hidden, then the text changes and the outline follows once shown again.
        h.view.OnToggleAreas();
        QVERIFY(!h.view.AreasShown());
        QCOMPARE(Count(h.Grab(), {12, 10}, {98, 10}, white), 0);
        h.pane.SetWindowText(With("<area coords=\"10,20,100,30\" href=x>\r\n"));
        h.view.RefreshAreas();
        h.view.OnToggleAreas();
        shot = h.Grab();
        QCOMPARE(Count(shot, {12, 10}, {98, 10}, white), 0);
        QVERIFY(Count(shot, {12, 20}, {98, 20}, white) > 30);

        // At double size the outline lies at twice the coordinates.
        h.view.OnZoomDouble();
        QVERIFY(Count(h.Grab(), {22, 40}, {198, 40}, white) > 60);
    }

    void clickSelectsWhatTheBrowserPicks() {
        Harness h;
        const struct {
            QPoint at;
            int selected;
        } cases[] = {
            {{50, 40}, 0},    // in both the rectangle and the circle: the first in the text
            {{100, 80}, 0},   // the rectangle's far corner
            {{150, 30}, 2},   // the polygon
            {{101, 40}, -1},  // just right of it: nothing
        };
        for (const auto& c : cases) {
            h.Click(c.at);
            QCOMPARE(h.view.SelectedArea(), c.selected);
            // The tag is marked in the pane, the caret at its start.
            const TextRange tag =
                c.selected < 0 ? TextRange{} : h.view.Overlay().Areas()[size_t(c.selected)].tag;
            QCOMPARE(h.pane.Shown().begin, tag.begin);
            QCOMPARE(h.pane.Shown().end, tag.end);
            if (c.selected >= 0) QCOMPARE(h.pane.GetCaret(), tag.begin);
        }
        // Another tool drops the selection; the rectangle tool draws over areas.
        h.Click({50, 40});
        h.view.OnToolRect();
        QCOMPARE(h.view.SelectedArea(), -1);
    }

    void dragsMoveAndReshape() {
        // Each drag starts from the text below, with the area selected first by a
        // click, and must change only its coordinates.
        const struct {
            std::string area;
            QPoint select, from, to;
            int zoom;
            const char* coords;
        } cases[] = {
            // Moving from inside; beyond the picture's bottom the move stops at it.
            {kRect, {50, 40}, {50, 40}, {65, 45}, 1, "25,15,115,85"},
            {kRect, {50, 40}, {50, 40}, {60, 90}, 1, "20,30,110,100"},
            // A corner handle and an edge handle; the corner is clamped to the picture.
            {kRect, {50, 40}, {100, 80}, {120, 70}, 1, "10,10,120,70"},
            {kRect, {50, 40}, {10, 45}, {0, 45}, 1, "0,10,100,80"},
            {kRect, {50, 40}, {10, 10}, {-30, -5}, 1, "0,0,100,80"},
            // A circle by its radius handle and by its centre; values keep their quotes.
            {kCircle, {50, 40}, {70, 40}, {50, 70}, 1, "50,40,30"},
            {kCircle, {50, 40}, {50, 40}, {60, 30}, 1, "60,30,20"},
            // A polygon's vertex; at double size client pixels halve.
            {kPoly, {150, 30}, {180, 10}, {190, 20}, 1, "120,10,190,20,150,60"},
            {kPoly, {260, 40}, {260, 40}, {240, 60}, 2, "110,20,170,20,140,70"},
        };
        for (const auto& c : cases) {
            Harness h(With(c.area));
            if (c.zoom == 2) h.view.OnZoomDouble();
            h.Click(c.select);
            QCOMPARE(h.view.SelectedArea(), 0);
            h.Drag(c.from, c.to);
            // Only the coordinates' value changed; the area stays selected.
            std::string expected = With(c.area);
            const TextRange was = ParseAreas(expected)[0].coordsValue;
            QCOMPARE(h.Text(), expected.replace(was.begin, was.end - was.begin, c.coords));
            QCOMPARE(h.view.SelectedArea(), 0);
        }
        // A press without a drag changes nothing.
        Harness h;
        h.Click({50, 40});
        h.Drag({50, 40}, {51, 41});
        QCOMPARE(h.Text(), With(kRect + kCircle + kPoly));
    }

    void keysMoveAndDelete() {
        Harness h;
        h.Click({150, 30});
        QTest::keyClick(&h.view, Qt::Key_Right);
        QTest::keyClick(&h.view, Qt::Key_Down);
        QCOMPARE(h.Text(),
                 With(kRect + kCircle +
                      "<area shape=\"poly\" coords=\"121,11,181,11,151,61\" href=p.html>\r\n"));
        // At the picture's edge the key does nothing.
        h.pane.SetWindowText(With("<area coords=\"0,5,10,15\">\r\n" + kCircle));
        h.view.RefreshAreas();
        h.Click({5, 10});
        QTest::keyClick(&h.view, Qt::Key_Left);
        QTest::keyClick(&h.view, Qt::Key_Up);
        QCOMPARE(h.Text(), With("<area coords=\"0,4,10,14\">\r\n" + kCircle));
        // Delete takes the tag and its line; nothing is selected afterwards.
        QTest::keyClick(&h.view, Qt::Key_Delete);
        QCOMPARE(h.Text(), With(kCircle));
        QCOMPARE(h.view.SelectedArea(), -1);
        QTest::keyClick(&h.view, Qt::Key_Delete);
        QCOMPARE(h.Text(), With(kCircle));
    }

    void statusForgetsADeletedAreaAndAClosedPicture() {
        Harness h;
        h.Click({15, 15});
        QCOMPARE(h.MoveTo({15, 15}),
                 QString::fromUtf8("X座標 = 15 Y座標 = 15   RGB(0, 0, 0)  r.html"));
        QTest::keyClick(&h.view, Qt::Key_Delete);
        QCOMPARE(h.status, QString::fromUtf8("X座標 = 15 Y座標 = 15   RGB(0, 0, 0)"));
        h.doc.m_pImage.reset();
        h.view.OnInitialUpdate();
        QCOMPARE(h.status, QString());
    }

    void doubleClickEditsTheLink() {
        Harness h;
        h.url = "new.html";
        h.alt = "New";
        QTest::mouseDClick(h.vp(), Qt::LeftButton, {}, {50, 40});
        QCOMPARE(h.asked, 1);
        QCOMPARE(h.askedUrl, std::string("r.html"));
        QCOMPARE(h.askedAlt, std::string("R"));
        QCOMPARE(h.Text(),
                 With("<area shape=rect coords=\"10,10,100,80\" href=\"new.html\" alt=New>\r\n" +
                      kCircle + kPoly));
        // The circle has no alt: it is added; an unchanged href stays as written.
        h.url = "p.html";
        QTest::mouseDClick(h.vp(), Qt::LeftButton, {}, {140, 20});  // the polygon
        QCOMPARE(h.askedAlt, std::string());
        const std::string text = h.Text();
        QVERIFY(text.find("href=p.html") != std::string::npos);
        QCOMPARE(ParseAreas(text)[2].alt, std::string("New"));
        QCOMPARE(h.askedUrl, std::string("p.html"));
        // Cancel changes nothing.
        h.answerOk = false;
        QTest::mouseDClick(h.vp(), Qt::LeftButton, {}, {50, 40});
        QCOMPARE(h.Text(), text);
    }

    void escapeAndTheContextMenu() {
        Harness h;
        const std::string all = With(kRect + kCircle + kPoly);
        // Esc during a drag of the selection: the area stays where it was.
        h.Click({50, 40});
        QTest::mousePress(h.vp(), Qt::LeftButton, {}, {50, 40});
        QTest::mouseMove(h.vp(), {70, 60});
        QTest::keyClick(&h.view, Qt::Key_Escape);
        QTest::mouseRelease(h.vp(), Qt::LeftButton, {}, {70, 60});
        QCOMPARE(h.Text(), all);

        QStringList items;
        const char* pick = "";
        h.view.SetMenuRunner([&](QMenu& menu, QPoint) {
            items.clear();
            for (QAction* action : menu.actions()) {
                if (action->isSeparator()) continue;
                items << action->text() + (action->isChecked() ? "*" : "");
                if (action->text().startsWith(QString::fromUtf8(pick))) action->trigger();
            }
        });
        QTest::mouseClick(h.vp(), Qt::RightButton, {}, {190, 90});
        QCOMPARE(items.join(' '),
                 QString::fromUtf8("円 (&C) 矩形 (&R) 多角形 (&P) 選択 (&S)* 輪郭 (&O)"));
        // Over an area, the one a browser picks; each command one edit.
        const std::string copy =
            "<area shape=\"poly\" coords=\"130,20,190,20,160,70\" href=p.html>\r\n";
        const struct {
            QPoint at;
            const char* pick;
            std::string text;
        } cases[] = {
            {{150, 30}, "前面へ", With(kRect + kPoly + kCircle)},
            {{50, 40}, "背面へ", With(kPoly + kRect + kCircle)},
            {{150, 30}, "複製", With(kPoly + copy + kRect + kCircle)},
            {{150, 30}, "削除", With(copy + kRect + kCircle)},
            {{50, 40},
             "編集",
             With(copy +
                  "<area shape=rect coords=\"10,10,100,80\" href=\"a.html\" "
                  "alt=A>\r\n" +
                  kCircle)},
        };
        for (const auto& c : cases) {
            pick = c.pick;
            const uint64_t revision = h.pane.Revision();
            QTest::mouseClick(h.vp(), Qt::RightButton, {}, c.at);
            QCOMPARE(items.size(), 5);
            QCOMPARE(h.pane.Revision(), revision + 1);
            QCOMPARE(h.Text(), c.text);
        }
    }

    void readoutNamesTheLinkUnderTheMouse() {
        Harness h;
        QCOMPARE(h.MoveTo({50, 40}),
                 QString::fromUtf8("X座標 = 50 Y座標 = 40   RGB(0, 0, 0)  r.html"));
        QCOMPARE(h.MoveTo({190, 90}), QString::fromUtf8("X座標 = 190 Y座標 = 90   RGB(0, 0, 0)"));
    }
};

QTEST_MAIN(SelectToolTest)
#include "select_tool_test.moc"
