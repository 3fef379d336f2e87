// SPDX-License-Identifier: GPL-3.0-or-later
// Editing areas in the editor's widgets. A new area line at 10,000 areas:
// the pane's edit of the text (the line placed before the closing tag as one
// undo step) against inserting the same characters at a text cursor already
// at that place, and against the old whole-text replacement. The outlines of
// 1,000 areas at double size: repainting one exposed rectangle and the whole
// window, with the outlines shown and hidden. The largest pane a page may
// give (1 MB in 25,000 lines, or in lines of 16 KB): its text put into the
// shown pane, and its areas read for the outlines.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <ctime>
#include <memory>
#include <string>

#include "document/map_doc.h"
#include "image/image.h"
#include "markup/area_line_insert.h"
#include "markup/area_markup.h"
#include "markup/area_model.h"
#include "shell/markup_edit.h"
#include "view/map_view.h"

namespace {

// The application lives in main(), so that it goes before Qt's own globals.
QApplication& App() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

const std::string kLine =
    "<area shape=\"rect\" coords=\"10,20,110,120\" alt=\"Area\" href=\"page.html\">";

// The skeleton with `areas` area lines, scattered over a 2000 x 2000 picture.
std::string MapText(int areas) {
    std::string text =
        "<img src=\"p.bmp\" width=2000 height=2000 usemap=\"#map_p\">\r\n<map "
        "name=\"map_p\">\r\n";
    for (int i = 0; i < areas; ++i) {
        const int x = (i * 37) % 1900, y = (i * 53) % 1900;
        text += i % 3 == 0 ? FormatRectArea({x, y}, {x + 60, y + 40}, {}, 1, "A", "a.html")
                : i % 3 == 1
                    ? FormatCircleArea({x + 30, y + 30}, {x + 50, y + 30}, {}, 1, "B", "b.html")
                    : FormatPolyArea({{x, y}, {x + 50, y + 10}, {x + 20, y + 45}}, {}, 1, "C",
                                     "c.html");
        text += "\r\n";
    }
    return text + "</map>";
}

// A shown pane holding the text of 10,000 areas.
struct PaneFixture {
    QApplication& app = App();
    CMarkupEdit edit;
    PlainTextMarkupPane pane{edit};
    PaneFixture() {
        edit.resize(800, 200);
        edit.show();
        pane.SetWindowText(MapText(10000));
        QApplication::processEvents();
    }
};

constexpr int kInsertions = 5000;

// What the drawing tools do: one edit of the text at the closing tag.
void BM_InsertAreaLineAsEdit(benchmark::State& state) {
    PaneFixture f;
    CAreaLineInserter inserter;
    for (auto _ : state) inserter.Insert(f.pane, kLine, MarkupSettings{});
}
BENCHMARK(BM_InsertAreaLineAsEdit)->Iterations(kInsertions)->Unit(benchmark::kMicrosecond);

// The peer: the same characters typed in at a cursor that is already there.
void BM_InsertAtTextCursor(benchmark::State& state) {
    PaneFixture f;
    QTextCursor cursor(f.edit.document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock);
    const QString text = PaneToEditorText(kLine + "\r\n");
    for (auto _ : state) {
        cursor.beginEditBlock();
        cursor.insertText(text);
        cursor.endEditBlock();
    }
}
BENCHMARK(BM_InsertAtTextCursor)->Iterations(kInsertions)->Unit(benchmark::kMicrosecond);

// Before: the whole text replaced by the text with the line in it.
void BM_InsertAreaLineWholeText(benchmark::State& state) {
    PaneFixture f;
    for (auto _ : state)
        f.pane.SetWindowText(InsertAreaLine(f.pane.GetWindowText(), kLine, MarkupSettings{}));
}
BENCHMARK(BM_InsertAreaLineWholeText)->Iterations(5)->Unit(benchmark::kMillisecond);

// A 1920 x 1080 view at double size over a 2000 x 2000 picture with 1,000
// areas, scrolled to the middle.
struct OverlayFixture {
    QApplication& app = App();
    MemoryMarkupPane pane;
    CMapDoc doc;
    CMapView view;
    explicit OverlayFixture(bool shown) {
        auto image = std::make_unique<CImage>();
        image->Create(2000, 2000, 24, -1);
        doc.m_pImage = std::move(image);
        pane.SetWindowText(MapText(1000));
        doc.SetPane(&pane);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(1920, 1080);
        view.SetDocument(&doc);
        view.OnZoomDouble();
        if (!shown) view.OnToggleAreas();
        view.show();
        QApplication::processEvents();
        view.horizontalScrollBar()->setValue(1000);
        view.verticalScrollBar()->setValue(1000);
        view.viewport()->repaint();
    }
};

void OverlayRepaint(benchmark::State& state, bool shown, QRect exposed) {
    OverlayFixture f(shown);
    for (auto _ : state) f.view.viewport()->repaint(exposed);
}

const QRect kExposed(700, 400, 256, 256);
const QRect kWindow(0, 0, 1920, 1080);
void BM_OverlayRepaintExposed(benchmark::State& state) {
    OverlayRepaint(state, true, kExposed);
}
void BM_PictureRepaintExposed(benchmark::State& state) {
    OverlayRepaint(state, false, kExposed);
}
void BM_OverlayRepaintWindow(benchmark::State& state) {
    OverlayRepaint(state, true, kWindow);
}
void BM_PictureRepaintWindow(benchmark::State& state) {
    OverlayRepaint(state, false, kWindow);
}
BENCHMARK(BM_OverlayRepaintExposed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PictureRepaintExposed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OverlayRepaintWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureRepaintWindow)->Unit(benchmark::kMillisecond);

// A pane at the page limits: `lineBytes` long area lines up to 1 MB, fewer
// than 25,000 lines in all.
std::string LargestPane(size_t lineBytes) {
    std::string text = "<img src=\"p.bmp\" usemap=\"#m\">\r\n<map name=\"m\">\r\n";
    const std::string head = "<area coords=\"1,2,3,4\" href=\"";
    const std::string line = head + std::string(lineBytes - head.size() - 2, 'a') + "\">";
    while (text.size() + line.size() + 8 < (size_t{1} << 20)) text += line + "\r\n";
    return text + "</map>";
}

// Counters: the milliseconds of putting the text into the shown pane until
// it is laid out, and of reading its areas.
void LargestPaneCase(benchmark::State& state, size_t lineBytes) {
    const std::string text = LargestPane(lineBytes);
    App();
    double shown = 0, read = 0;
    size_t areas = 0;
    for (auto _ : state) {
        CMarkupEdit edit;
        PlainTextMarkupPane pane{edit};
        edit.resize(800, 200);
        edit.show();
        QApplication::processEvents();
        const std::clock_t t0 = std::clock();
        pane.SetWindowText(text);
        QApplication::processEvents();
        const std::clock_t t1 = std::clock();
        areas = ParseAreas(pane.Text()).size();
        const std::clock_t t2 = std::clock();
        shown += double(t1 - t0), read += double(t2 - t1);
    }
    const double n = double(state.iterations()) * CLOCKS_PER_SEC / 1000;
    state.counters["shown_ms"] = shown / n;
    state.counters["read_ms"] = read / n;
    state.counters["areas"] = double(areas);
}
void BM_LargestPaneOfShortLines(benchmark::State& state) {
    LargestPaneCase(state, 40);
}
void BM_LargestPaneOfLongLines(benchmark::State& state) {
    LargestPaneCase(state, size_t{16} << 10);
}
BENCHMARK(BM_LargestPaneOfShortLines)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestPaneOfLongLines)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
