// The outline tool in the map view: hovering previews the outline of the
// region under the mouse; a click adds it as a polygon line in picture
// coordinates at any zoom and scroll, traced with the tolerance stored.

#define QTEST_QPA_MOUSE_HANDLING
#include <QProgressDialog>
#include <QScrollBar>

#include "doc/settings.h"
#include "shell/view_harness.h"

namespace {

// 200 x 100 grey (100, 100, 100), a block of (120, 100, 100) at x 20..59, y 10..39
// (distance 20), and one of (200, 30, 30) at x 100..149, y 50..89 notched top left.
std::unique_ptr<CImage> Picture() {
    auto image = BlackPicture(200, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool near = x >= 20 && x < 60 && y >= 10 && y < 40;
            const bool red = x >= 100 && x < 150 && y >= 50 && y < 90 && !(x < 110 && y < 60);
            const int gb = red ? 30 : 100;
            image->SetPixelRGB(x, 99 - y, red ? 200 : near ? 120 : 100, gb, gb);
        }
    return image;
}

std::string Poly(const char* coords) {
    return std::string("<area shape=\"poly\" coords=\"") + coords +
           "\" alt=\"A\" href=\"a.html\">\r\n";
}

// 4096 x 4096 colour noise, mid grey at 2048,2048: at tolerance 137 about as
// many colours match as not, and the region there winds through the picture.
std::unique_ptr<CImage> Noise() {
    auto image = BlackPicture(4096, 4096);
    uint32_t noise = 2463534242u;
    for (int y = 0; y < 4096; ++y) {
        uint8_t* row = image->GetImpl()->PixelAddress(0, y);
        for (int i = 0; i < 3 * 4096; ++i) {
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            row[i] = static_cast<uint8_t>(noise >> 7);
        }
    }
    image->SetPixelRGB(2048, 4095 - 2048, 128, 128, 128);
    return image;
}

}  // namespace

class TraceToolTest : public QObject {
    Q_OBJECT
private slots:
    void hoverPreviewsAndClickTraces() {
        ViewHarness h("</map>", Picture(), QSize(170, 140));  // narrower: it scrolls
        // The toolbar's spin box shows the stored tolerance and stores a new one.
        SetTraceToleranceSetting(10);
        CMainFrame frame;
        QCOMPARE(frame.TraceTolerance().value(), 10);
        frame.TraceTolerance().setValue(19);
        QCOMPARE(GetTraceToleranceSetting(), 19);
        h.view.OnToolTrace();
        h.Show();
        QCOMPARE(h.view.GetTool(), CMapView::kToolTrace);

        // The preview is drawn: a pixel on its edge differs from the picture.
        QTest::mouseMove(h.vp(), {120, 70});
        QTRY_COMPARE(h.view.TraceTool().Preview().size(), size_t(6));
        QVERIFY(!h.view.OutlineRegion().isEmpty());
        QVERIFY(h.Grab().pixel(120, 50) != qRgb(200, 30, 30));
        QEvent leave(QEvent::Leave);  // the mouse leaves the window: no preview
        QApplication::sendEvent(h.vp(), &leave);
        QVERIFY(h.view.OutlineRegion().isEmpty());
        QTest::mouseMove(h.vp(), {121, 71});
        QTRY_VERIFY(!h.view.OutlineRegion().isEmpty());
        h.view.OnToolRect();  // another tool: no preview
        QTest::mouseMove(h.vp(), {121, 70});
        QTRY_VERIFY(h.view.OutlineRegion().isEmpty());

        h.view.OnToolTrace();
        h.Click({30, 20});
        h.Click({120, 70});
        SetTraceToleranceSetting(20);  // the grey counts now: the whole picture, the red a hole
        h.view.OnTraceToleranceChanged();
        h.Click({30, 20});
        h.view.OnZoomDouble();  // double size, scrolled: the same picture pixels
        h.view.horizontalScrollBar()->setValue(150);
        h.view.verticalScrollBar()->setValue(60);
        h.Click({2 * 120 - 150, 2 * 70 - 60});
        h.answerOk = false;
        h.Click({2 * 120 - 150, 2 * 70 - 60});  // cancelled: nothing
        QCOMPARE(h.asked, 5);
        const std::string red = Poly("110,50,150,50,150,90,100,90,100,60,110,60");
        QCOMPARE(h.Text(), Poly("20,10,60,10,60,40,20,40") + red + Poly("0,0,200,0,200,100,0,100") +
                               red + "</map>");
    }

    // A region that takes long to trace: the preview comes in slices between
    // other events, and a click shows its progress, which Esc cancels.
    void longTracesLeaveTheWindowFree() {
        MemoryProfileStore store;
        ScopedProfileStore scoped(&store);
        SetTraceToleranceSetting(137);
        const auto image = Noise();
        CTraceTool tool;  // wired as the view wires it
        connect(&tool, &CTraceTool::previewDue, &tool, [&] { tool.Refresh(image.get()); });
        tool.Hover({2048, 2048});
        tool.Refresh(image.get());
        QVERIFY(tool.Busy());
        QVERIFY(tool.Preview().empty());
        QTRY_VERIFY_WITH_TIMEOUT(tool.Preview().size() > 100, 60000);
        QVERIFY(!tool.Busy());

        tool.Forget();
        tool.SetProgressDelay(0);
        QString shown;
        QTimer::singleShot(0, &tool, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!qobject_cast<QProgressDialog*>(dialog)) return;
            shown = dialog->objectName();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(tool.Trace(*image, {2048, 2048}).empty());
        QCOMPARE(shown, QStringLiteral("TraceProgress"));
        QVERIFY(!tool.Busy());
        QVERIFY(tool.Preview().empty());
    }
};

QTEST_MAIN(TraceToolTest)
#include "trace_tool_test.moc"
