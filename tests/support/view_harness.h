// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A shown map view over a picture and an in-memory pane, its link prompt
// answered from fields: the view alone, without the editor's window.

#include <QPaintEvent>
#include <QScreen>
#include <QtTest>
#include <memory>
#include <string>

#include "document/map_doc.h"
#include "image/image.h"
#include "markup/markup_pane.h"
#include "support/memory_store.h"
#include "view/area_menu.h"
#include "view/map_view.h"

inline std::unique_ptr<CImage> BlackPicture(int width, int height) {
    auto image = std::make_unique<CImage>();
    image->Create(width, height, 24, -1);
    return image;
}

// A press at `from`, a move through the middle to `to` and the release there.
inline void DragOn(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

// Sums the area of a widget's paints.
struct PaintedArea : QObject {
    qint64 area = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                area += qint64(r.width()) * r.height();
        return false;
    }
};

struct ViewHarness {
    MemoryProfileStore store;
    ScopedProfileStore scopedStore{&store};
    MemoryMarkupPane pane;
    CMapDoc doc;
    CMapView view;
    CAreaMenu areaMenu{view};  // its context menu and the clipboard's keys
    QString status = QStringLiteral("(unchanged)");
    bool answerOk = true;
    std::string url = "a.html", alt = "A";
    int asked = 0;
    std::string askedUrl, askedAlt;
    QImage shotDuringDialog;

    ViewHarness(const std::string& text, std::unique_ptr<CImage> picture, QSize viewport) {
        pane.SetWindowText(text);
        doc.SetPane(&pane);
        doc.m_pImage = std::move(picture);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(viewport);
        QObject::connect(&view, &CMapView::statusMessage, [this](const QString& s) { status = s; });
        view.MapAreas().SetLinkPrompt([this](std::string* u, std::string* a) {
            ++asked;
            askedUrl = *u;
            askedAlt = *a;
            shotDuringDialog = Grab();
            if (!answerOk) return false;
            *u = url;
            *a = alt;
            return true;
        });
        view.SetDocument(&doc);
    }
    // Shows the view once the test's tool is chosen.
    void Show() {
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    QWidget* vp() { return view.viewport(); }
    std::string Text() const { return pane.GetWindowText(); }
    // The status line after a mouse move to `p`.
    QString MoveTo(QPoint p, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), vp()->mapToGlobal(QPointF(p)), Qt::NoButton,
                         held, Qt::NoModifier);
        QApplication::sendEvent(vp(), &move);
        return status;
    }
    void Click(QPoint p) { QTest::mouseClick(vp(), Qt::LeftButton, {}, p); }
    void DoubleClick(QPoint p) { QTest::mouseDClick(vp(), Qt::LeftButton, {}, p); }
    void Drag(QPoint from, QPoint to) { DragOn(vp(), from, to); }
    QImage Grab() { return vp()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // What the window shows after the partial repaints asked for so far.
    QImage Screen() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        QCoreApplication::processEvents();
        const QPoint at = vp()->mapTo(&view, QPoint(0, 0));
        return view.screen()
            ->grabWindow(view.winId(), at.x(), at.y(), vp()->width(), vp()->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
};
