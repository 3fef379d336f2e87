// SPDX-License-Identifier: GPL-3.0-or-later
// The tools in plain calls over a fake context that stands in for the view.

#include <QProgressDialog>
#include <QtTest>
#include <string>

#include "image/image.h"
#include "support/memory_store.h"
#include "view/tools/outline_tool.h"
#include "view/tools/polygon_tool.h"
#include "view/tools/rect_tool.h"
#include "view/tools/select_tool.h"

namespace {

struct Fake : CToolContext, CAreaContext {
    MemoryProfileStore store;
    ScopedProfileStore scopedStore{&store};
    CImage picture;
    AreaMapping mapping;
    bool answer = true, inWindow = true;
    int asked = 0, edited = -1, selected = -1;
    std::string lines, text;  // the lines written, one a row; the pane
    std::vector<AreaTag> areas;

    explicit Fake(int width = 200, int height = 100) { picture.Create(width, height, 24, -1); }
    AreaMapping Mapping() const override { return mapping; }
    const CImage* Picture() const override { return &picture; }
    bool IsInsidePicture(QPoint p) const override {
        return p.x() >= 0 && p.y() >= 0 && p.x() <= mapping.zoom.ToView(picture.GetWidth()) &&
               p.y() <= mapping.zoom.ToView(picture.GetHeight());
    }
    bool InWindow(QPoint) const override { return inWindow; }
    bool AskLink(AreaLink* link) override {
        ++asked;
        link->href = "u.html";
        link->alt = 'A';
        return answer;
    }
    QWidget* DialogParent() override { return nullptr; }
    void InsertLine(const std::string& line, const AreaLink&) override {
        lines.append(line).push_back('\n');
    }
    void UpdateOutline(const ToolOutline&) override {}
    void RepaintAll() override {}

    const std::vector<AreaTag>& Areas() const override { return areas; }
    const std::string& AreaText() const override { return text; }
    int SelectedArea() const override { return selected; }
    void SelectArea(int index) override { selected = index; }
    bool AreasCurrent() override { return true; }
    QSize PictureSize() const override { return QSize(picture.GetWidth(), picture.GetHeight()); }
    int AreaAt(QPoint client) const override {
        const QPointF at = mapping.ToPictureF(client);
        return HitTestAreas(areas, at.x(), at.y());
    }
    void EditAreaLink(int index) override { edited = index; }
    void ApplyPaneEdit(const TextEdit& edit) override { SetText(ApplyEdit(text, edit)); }
    QRect SelectionBounds() const override { return {}; }
    void Repaint(const QRect&) override {}
    void SetText(const std::string& t) {
        text = t;
        areas = ParseAreas(text);
    }
};

void Click(CMapTool& tool, QPoint p) {
    tool.Press(p);
    tool.Release(p);
}

void Drag(CMapTool& tool, QPoint from, QPoint to) {
    tool.Press(from);
    tool.Move((from + to) / 2);
    tool.Move(to);
    tool.Release(to);
}

const std::string kPolyLine = "<area shape=\"poly\" coords=\"@\" alt=\"A\" href=\"u.html\">\n";

std::string Fill(std::string area, const char* coords) {
    return area.replace(area.find('@'), 1, coords);
}

}  // namespace

class ToolsTest : public QObject {
    Q_OBJECT
private slots:
    void rubberBandWritesAtThePressScrollAndZoom() {
        Fake ctx;
        CRectTool tool(ctx);
        tool.Press({10, 10});
        ctx.mapping.scroll = QPoint(0, 5);  // scrolled while the button is held
        tool.Move({30, 20});
        QCOMPARE(tool.Outline().points, QPolygon({{10, 5}, {10, 20}, {30, 20}, {30, 5}}));
        tool.Release({30, 20});
        tool.SetCircle(true);
        ctx.mapping = AreaMapping{2, QPoint(4, 0)};
        tool.Press({20, 20});
        tool.Release({23, 24});
        ctx.mapping = AreaMapping{2, QPoint(30, 45)};  // zoomed in, scrolled back meanwhile
        tool.Press({51, 41});
        ctx.mapping.scroll = QPoint();
        tool.Release({50, 50});
        tool.Press({5, 5});  // given up: no area
        QVERIFY(tool.RightClick({6, 6}) && !tool.IsDragging() && !tool.Cancel());
        QCOMPARE(ctx.asked, 3);
        QCOMPARE(ctx.lines,
                 std::string(R"(<area shape="rect" coords="10,10,30,25" alt="A" href="u.html">
<area shape="circle" coords="12,10,2" alt="A" href="u.html">
<area shape="circle" coords="40,42,23" alt="A" href="u.html">
)"));
    }

    void polygonEndsByDoubleOrRightClick() {
        Fake ctx;
        CPolygonTool tool(ctx);
        tool.Press({10, 10});
        ctx.mapping.scroll = QPoint(30, 20);
        QCOMPARE(tool.Outline().points[0], QPoint(-20, -10));  // the corner stays on the picture
        tool.Press({50, 10});
        tool.Press({500, 500});  // outside the picture: no corner
        ctx.mapping.scroll = QPoint(30, 0);
        tool.Press({50, 60});
        tool.DoubleClick({50, 60});
        ctx.mapping = AreaMapping{};
        tool.Press({5, 5});
        ctx.mapping.scroll = QPoint(10, 0);
        QVERIFY(tool.RightClick({30, 40}));  // the last corner
        // A first double-click places one corner; a second one ends a polygon.
        tool.Press({60, 70});
        tool.DoubleClick({60, 70});
        QCOMPARE(tool.VertexCount(), 1);
        tool.Press({80, 80});
        tool.DoubleClick({80, 80});
        // A corner placed before a change of zoom stays on its picture pixel.
        ctx.mapping = AreaMapping{2, QPoint()};
        tool.Press({10, 10});
        ctx.mapping.zoom = 1;
        QCOMPARE(tool.Outline().points[0], QPoint(5, 5));
        ctx.answer = false;  // cancelled: nothing written, the polygon ends
        QVERIFY(tool.RightClick({9, 9}));
        QCOMPARE(tool.VertexCount(), -1);
        // At most 256 corners: clicks beyond add nothing.
        for (int i = 0; i < 258; ++i) tool.Press({1 + i % 150, 1 + i / 150});
        QCOMPARE(tool.VertexCount(), 256);
        ctx.answer = true;
        tool.DoubleClick({1, 1});
        QCOMPARE(ctx.asked, 5);
        std::string corners;  // the first 256 clicks
        for (int i = 0; i < 256; ++i)
            corners += std::to_string(1 + i % 150) + ',' + std::to_string(1 + i / 150) + ',';
        corners.pop_back();
        QCOMPARE(ctx.lines, Fill(kPolyLine, "10,10,80,30,80,60") + Fill(kPolyLine, "5,5,40,40") +
                                Fill(kPolyLine, "70,70,90,80") + Fill(kPolyLine, corners.c_str()));
    }

    void selectionDragsKeysAndDoubleClick() {
        const std::string rect = "<area shape=rect coords=\"@\" href=\"r.html\" alt=R>\r\n";
        const std::string circle = "<AREA SHAPE='circle' COORDS='@' HREF='c.html'>\r\n";
        const std::string poly = "<area shape=\"poly\" coords=\"@\" href=p.html>\r\n";
        // Each drag of the selected area (the picture is 200 x 100) changes
        // only its coordinates.
        const struct {
            const std::string& area;
            const char *before, *after;
            QPoint from, to;
        } cases[] = {
            // Moving from inside; beyond the picture's bottom the move stops at it.
            {rect, "10,10,100,80", "25,15,115,85", {50, 40}, {65, 45}},
            {rect, "10,10,100,80", "20,30,110,100", {50, 40}, {60, 90}},
            // A corner handle and an edge handle; the corner is clamped to the picture.
            {rect, "10,10,100,80", "10,10,120,70", {100, 80}, {120, 70}},
            {rect, "10,10,100,80", "0,10,100,80", {10, 45}, {0, 45}},
            {rect, "10,10,100,80", "0,0,100,80", {10, 10}, {-30, -5}},
            // A circle by its radius handle and by its centre.
            {circle, "50,40,20", "50,40,30", {70, 40}, {50, 70}},
            {circle, "50,40,20", "60,30,20", {50, 40}, {60, 30}},
            {poly, "120,10,180,10,150,60", "120,10,190,20,150,60", {180, 10}, {190, 20}},
            // A press that hardly moves is no drag.
            {rect, "10,10,100,80", "10,10,100,80", {50, 40}, {51, 41}},
        };
        for (const auto& c : cases) {
            Fake ctx;
            CSelectTool tool(ctx, ctx);
            ctx.SetText(Fill(c.area, c.before));
            ctx.selected = 0;
            Drag(tool, c.from, c.to);
            QCOMPARE(ctx.text, Fill(c.area, c.after));
        }
        Fake ctx;
        CSelectTool tool(ctx, ctx);
        ctx.SetText(Fill(rect, "0,5,10,15") + Fill(poly, "120,10,180,10,150,60"));
        Click(tool, {150, 30});
        QVERIFY(tool.Key(Qt::Key_Right) && tool.Key(Qt::Key_Down));
        Click(tool, {5, 10});  // at the picture's edge an arrow does nothing
        QVERIFY(tool.Key(Qt::Key_Left) && tool.Key(Qt::Key_Up));
        QCOMPARE(ctx.text, Fill(rect, "0,4,10,14") + Fill(poly, "121,11,181,11,151,61"));
        // Esc during a drag: the area stays where it was.
        Click(tool, {150, 30});
        tool.Press({150, 30});
        tool.Move({170, 50});
        QVERIFY(tool.Cancel());
        tool.Release({170, 50});
        QCOMPARE(ctx.text, Fill(rect, "0,4,10,14") + Fill(poly, "121,11,181,11,151,61"));
        tool.DoubleClick({5, 10});  // only the selected area's link is edited
        QCOMPARE(ctx.edited, -1);
        Click(tool, {5, 10});
        tool.DoubleClick({5, 10});
        QCOMPARE(ctx.edited, 0);
        // Delete takes the tag and its line, then has nothing left to take.
        QVERIFY(tool.Key(Qt::Key_Delete) && !tool.Key(Qt::Key_Delete));
        QCOMPARE(ctx.text, Fill(poly, "121,11,181,11,151,61"));
    }

    void outlinePreviewsAndTraces() {
        // Grey (100, 100, 100), a block of (120, 100, 100) at x 20..59, y 10..39
        // (distance 20), one of (200, 30, 30) at x 100..149, y 50..89 notched.
        Fake ctx;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) {
                const bool near = x >= 20 && x < 60 && y >= 10 && y < 40;
                const bool red = x >= 100 && x < 150 && y >= 50 && y < 90 && !(x < 110 && y < 60);
                const int gb = red ? 30 : 100;
                ctx.picture.SetPixelRGB(x, 99 - y, red ? 200 : near ? 120 : 100, gb, gb);
            }
        SetTraceToleranceSetting(19);
        COutlineTool tool(ctx);
        tool.Move({120, 70});
        QTRY_COMPARE(tool.Preview().size(), size_t(6));
        QCOMPARE(tool.Outline().points,
                 QPolygon({{110, 50}, {150, 50}, {150, 90}, {100, 90}, {100, 60}, {110, 60}}));

        tool.Press({30, 20});
        tool.Press({120, 70});
        SetTraceToleranceSetting(20);  // the grey counts now: the whole picture, the red a hole
        tool.ToleranceChanged();
        tool.Press({30, 20});
        ctx.mapping = AreaMapping{2, QPoint(150, 60)};  // the same picture pixels
        tool.Move({2 * 120 - 150, 2 * 70 - 60});
        QTRY_COMPARE(tool.Outline().points.value(0), QPoint(2 * 110 - 150, 2 * 50 - 60));
        tool.Press({2 * 120 - 150, 2 * 70 - 60});
        ctx.answer = false;
        tool.Press({2 * 120 - 150, 2 * 70 - 60});  // cancelled: nothing
        QCOMPARE(ctx.asked, 5);
        const std::string red = Fill(kPolyLine, "110,50,150,50,150,90,100,90,100,60,110,60");
        QCOMPARE(ctx.lines, Fill(kPolyLine, "20,10,60,10,60,40,20,40") + red +
                                Fill(kPolyLine, "0,0,200,0,200,100,0,100") + red);
    }

    // A region that takes long to trace: the preview comes in slices between
    // other events, and a click shows its progress, which Esc cancels.
    void longTracesLeaveTheWindowFree() {
        // Colour noise, mid grey at 2048,2048: at tolerance 137 about as many
        // colours match as not, and the region there winds through the picture.
        Fake ctx(4096, 4096);
        uint32_t noise = 2463534242u;
        for (int y = 0; y < 4096; ++y) {
            uint8_t* row = ctx.picture.GetImpl()->PixelAddress(0, y);
            for (int i = 0; i < 3 * 4096; ++i) {
                noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
                row[i] = static_cast<uint8_t>(noise >> 7);
            }
        }
        ctx.picture.SetPixelRGB(2048, 4095 - 2048, 128, 128, 128);
        SetTraceToleranceSetting(137);
        COutlineTool tool(ctx);
        tool.Move({2048, 2048});
        QTRY_VERIFY(tool.Busy());
        QVERIFY(tool.Preview().empty());
        QTRY_VERIFY_WITH_TIMEOUT(tool.Preview().size() > 100, 60000);
        QVERIFY(!tool.Busy());

        tool.Forget();
        tool.SetProgressDelay(0);
        QString shown;
        QTimer::singleShot(0, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!qobject_cast<QProgressDialog*>(dialog)) return;
            shown = dialog->objectName();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        tool.Press({2048, 2048});
        QCOMPARE(shown, QStringLiteral("TraceProgress"));
        QCOMPARE(ctx.asked, 0);
        QVERIFY(!tool.Busy() && tool.Preview().empty());
    }
};

QTEST_MAIN(ToolsTest)
#include "tools_test.moc"
