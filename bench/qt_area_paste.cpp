// SPDX-License-Identifier: GPL-3.0-or-later
// Pasting 25,000 areas with the area list shown: the pasted areas selected
// on the picture and as rows. The peer: the same text put into the pane and
// the list read again with one area selected, the well-behaved page of the
// same size.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <memory>
#include <string>

#include "document/map_doc.h"
#include "image/image.h"
#include "markup/markup_pane.h"
#include "shell/area_list.h"
#include "view/area_menu.h"
#include "view/map_view.h"

namespace {

constexpr int kAreas = 25000;
const std::string kEmpty = "<img src=\"p.bmp\" usemap=\"#m\">\r\n<map name=\"m\">\r\n</map>";

std::string Lines() {
    std::string lines;
    for (int i = 0; i < kAreas; ++i)
        lines += "<area shape=\"rect\" coords=\"" + std::to_string(i % 1900) + ",10,60,40\" " +
                 "alt=\"A\" href=\"a.html\">\r\n";
    return lines;
}

// A shown view and area list over a 2000 x 2000 picture and an empty map.
struct PasteFixture {
    MemoryMarkupPane pane;
    CMapDoc doc;
    CMapView view;
    CAreaMenu menu{view};
    CAreaListDock list{pane, view};
    PasteFixture() {
        pane.SetWindowText(kEmpty);
        doc.SetPane(&pane);
        doc.m_pImage = std::make_unique<CImage>();
        doc.m_pImage->Create(2000, 2000, 24, -1);
        view.SetDocument(&doc);
        view.resize(800, 600);
        list.resize(500, 600);
        view.show();
        list.show();
        list.Refresh();
        QApplication::processEvents();
    }
};

void BM_PasteAreasWithTheListShown(benchmark::State& state) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(Lines()));
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<PasteFixture>();
        state.ResumeTiming();
        f->menu.PasteAreas();
        f->list.Refresh();
        QApplication::processEvents();
        state.PauseTiming();
        if (f->view.MapAreas().SelectedAreas().size() != kAreas)
            state.SkipWithError("not all selected");
        f.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PasteAreasWithTheListShown)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SameTextSetWithOneSelected(benchmark::State& state) {
    const std::string text = kEmpty.substr(0, kEmpty.size() - 6) + Lines() + "</map>";
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<PasteFixture>();
        state.ResumeTiming();
        f->pane.SetWindowText(text);
        f->view.MapAreas().RefreshAreas();
        f->view.MapAreas().SelectAreas({kAreas - 1});
        f->list.Refresh();
        QApplication::processEvents();
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SameTextSetWithOneSelected)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
