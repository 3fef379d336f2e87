// The outline tool in the map view: a click traces the region under the
// mouse into one polygon line, in picture coordinates at any zoom and
// scroll; hovering previews that outline; the tolerance comes from the
// setting that the toolbar's spin box writes.

#define QTEST_QPA_MOUSE_HANDLING
#include <QScrollBar>

#include "markup/settings.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/view_harness.h"

namespace {

const std::string kSkeleton = "<map name=\"m\">\r\n</map>";

// 200 x 100: grey (100, 100, 100), a block of (120, 100, 100) at x 20..59,
// y 10..39 (distance 20), and a block of (200, 30, 30) at x 100..149,
// y 50..89 with a notch at its top left.
std::unique_ptr<CImage> Picture() {
    auto image = std::make_unique<CImage>();
    image->Create(200, 100, 24, -1);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool near = x >= 20 && x < 60 && y >= 10 && y < 40;
            const bool red = x >= 100 && x < 150 && y >= 50 && y < 90 && !(x < 110 && y < 60);
            image->SetPixelRGB(x, 99 - y,
                               red    ? 200
                               : near ? 120
                                      : 100,
                               red ? 30 : 100, red ? 30 : 100);
        }
    return image;
}

std::string Line(const char* coords) {
    return std::string("<area shape=\"poly\" coords=\"") + coords +
           "\" alt=\"A\" href=\"a.html\">\r\n";
}
const char* kRed = "110,50,150,50,150,90,100,90,100,60,110,60";

struct Harness : ViewHarness {
    Harness() : ViewHarness(kSkeleton, Picture(), QSize(170, 140)) {  // narrower: it scrolls
        view.OnToolTrace();
        Show();
    }
    std::string Added() const {
        const std::string text = pane.GetWindowText();
        return text.substr(16, text.size() - 16 - 6);  // between the two tags
    }
};

}  // namespace

class TraceToolTest : public QObject {
    Q_OBJECT
private slots:
    void clickAddsTheRegionsPolygon() {
        Harness h;
        QVERIFY(h.view.IsCommandChecked(cmd::kToolTrace));
        QVERIFY(!h.view.IsCommandChecked(cmd::kToolPolygon));
        h.Click({120, 70});
        QCOMPARE(h.asked, 1);
        QCOMPARE(h.Added(), Line(kRed));

        // Cancelled: nothing. Double size, scrolled: the same picture pixels.
        h.answerOk = false;
        h.Click({120, 70});
        QCOMPARE(h.asked, 2);
        h.answerOk = true;
        h.view.OnZoomDouble();
        h.view.horizontalScrollBar()->setValue(150);
        h.view.verticalScrollBar()->setValue(60);
        h.Click({2 * 120 - 150, 2 * 70 - 60});
        QCOMPARE(h.Added(), Line(kRed) + Line(kRed));
    }

    void hoverPreviewsTheOutline() {
        Harness h;
        QTest::mouseMove(h.vp(), {30, 20});
        QTRY_VERIFY(!h.view.TraceTool().Preview().empty());
        // The lighter block is within 32 of the grey around it: the whole
        // picture, the red block being a hole.
        QCOMPARE(h.view.TraceTool().Preview().size(), size_t(4));
        QVERIFY(!h.view.OutlineRegion().isEmpty());
        // The preview is drawn: a pixel on its edge differs from the picture.
        QTest::mouseMove(h.vp(), {120, 70});
        QTRY_COMPARE(h.view.TraceTool().Preview().size(), size_t(6));
        const QImage shot = h.vp()->grab().toImage();
        QVERIFY(shot.pixel(120, 50) != qRgb(200, 30, 30));

        // Another tool: no preview.
        h.view.OnToolRect();
        QTest::mouseMove(h.vp(), {121, 70});
        QTRY_VERIFY(h.view.OutlineRegion().isEmpty());
    }

    void toleranceComesFromTheSpinBoxSetting() {
        MemoryProfileStore store;
        ScopedProfileStore scoped(&store);
        SetTraceToleranceSetting(10);
        CMainFrame frame;
        QCOMPARE(frame.TraceTolerance().value(), 10);
        frame.TraceTolerance().setValue(25);
        QCOMPARE(GetTraceToleranceSetting(), 25);

        Harness h;  // its own store, set as the tool is used
        SetTraceToleranceSetting(19);
        h.Click({30, 20});
        QCOMPARE(h.Added(), Line("20,10,60,10,60,40,20,40"));
        SetTraceToleranceSetting(20);
        h.view.OnTraceToleranceChanged();
        h.Click({30, 20});  // the grey counts now: the whole picture, the red a hole
        QCOMPARE(h.Added(), Line("20,10,60,10,60,40,20,40") + Line("0,0,200,0,200,100,0,100"));
    }
};

QTEST_MAIN(TraceToolTest)
#include "trace_tool_test.moc"
