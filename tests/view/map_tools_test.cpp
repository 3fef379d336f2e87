// The drawing tools driven through a fake context: no window, the scroll and
// zoom set by hand, the link prompt and the pane's text replaced by fields.

#include <QtTest>
#include <memory>
#include <string>

#include "image/image.h"
#include "view/tools/polygon_tool.h"
#include "view/tools/rect_tool.h"

namespace {

struct FakeContext : CToolContext {
    CImage picture;
    AreaMapping mapping;
    bool answer = true, inWindow = true;
    int asked = 0, repaints = 0;
    std::string lines;  // one a row

    FakeContext() { picture.Create(100, 80, 24, -1); }
    AreaMapping Mapping() const override { return mapping; }
    const CImage* Picture() const override { return &picture; }
    bool IsInsidePicture(QPoint p) const override {
        return p.x() >= 0 && p.y() >= 0 && p.x() <= mapping.zoom.ToView(100) &&
               p.y() <= mapping.zoom.ToView(80);
    }
    bool InWindow(QPoint) const override { return inWindow; }
    bool AskLink(std::string* url, std::string* alt) override {
        ++asked;
        *url = "u.html";
        *alt = 'A';
        return answer;
    }
    void InsertLine(const std::string& line) override { lines.append(line).push_back('\n'); }
    void UpdateOutline(const ToolOutline&) override { ++repaints; }
    void RepaintAll() override { ++repaints; }
};

}  // namespace

class MapToolsTest : public QObject {
    Q_OBJECT
private slots:
    void rubberBandWritesAtThePressScrollAndZoom() {
        FakeContext ctx;
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
        // Given up, a click, or let go outside the window: no area.
        tool.Press({5, 5});
        QVERIFY(tool.RightClick({6, 6}) && !tool.IsDragging() && !tool.Cancel());
        tool.Press({5, 5});
        tool.Release({5, 5});
        ctx.inWindow = false;
        tool.Press({5, 5});
        tool.Release({50, 50});
        QCOMPARE(ctx.asked, 2);
        QCOMPARE(ctx.lines,
                 std::string(R"(<area shape="rect" coords="10,10,30,25" alt="A" href="u.html">
<area shape="circle" coords="12,10,2" alt="A" href="u.html">
)"));
        QCOMPARE(tool.Outline().kind, ToolOutline::kNone);
    }

    void polygonEndsByDoubleOrRightClick() {
        FakeContext ctx;
        CPolygonTool tool(ctx);
        for (QPoint p : {QPoint(1, 1), QPoint(20, 1), QPoint(20, 20)}) tool.Press(p);
        tool.Press({500, 500});  // outside the picture: no corner
        tool.DoubleClick({20, 20});
        tool.Press({5, 5});
        ctx.mapping.scroll = QPoint(10, 0);
        QVERIFY(tool.RightClick({30, 40}));
        ctx.answer = false;  // cancelled: nothing written, the polygon ends
        tool.Press({1, 1});
        QVERIFY(tool.RightClick({9, 9}));
        QCOMPARE(tool.VertexCount(), -1);
        QVERIFY(!tool.RightClick({9, 9}) && !tool.Cancel());
        QCOMPARE(ctx.lines,
                 std::string(R"(<area shape="poly" coords="1,1,20,1,20,20" alt="A" href="u.html">
<area shape="poly" coords="5,5,40,40" alt="A" href="u.html">
)"));
    }
};

QTEST_MAIN(MapToolsTest)
#include "map_tools_test.moc"
