// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole editor window over a picture, its prompts scripted.

#include <QtTest>
#include <memory>
#include <string>

#include "document/map_doc.h"
#include "image/image.h"
#include "scripted_prompts.h"
#include "shell/main_frame.h"
#include "support/memory_store.h"
#include "support/view_harness.h"

struct FrameHarness {
    MemoryProfileStore store;
    ScopedProfileStore scopedStore{&store};
    ScriptedPrompts prompts;
    CMainFrame frame;
    CMapDoc doc;

    FrameHarness(std::unique_ptr<CImage> picture, const std::string& text, QSize size) {
        doc.m_pImage = std::move(picture);
        frame.View().SetDocument(&doc);
        doc.SetPane(&frame.Pane());
        frame.Pane().SetWindowText(text);
        frame.resize(size);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
    }
    QWidget* vp() { return frame.View().viewport(); }
    std::string Text() { return frame.Pane().GetWindowText(); }
    void Drag(QPoint from, QPoint to) { DragOn(vp(), from, to); }
    void Command(int id) { frame.Action(id)->trigger(); }
};
