// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window_state.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "document/settings.h"
#include "shell/main_frame.h"

namespace {
const char kSection[] = "Window";

// A null rectangle unless every number is within what a screen can hold, so
// that a value planted in the file cannot overflow the rectangle's corners.
QRect ReadRect(ProfileStore& store, const char* prefix) {
    constexpr int kLimit = 1 << 20;
    const std::string p = prefix;
    int v[4];
    const char* names[4] = {"X", "Y", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        v[i] = store.GetProfileInt(kSection, p + names[i], 0);
        if (v[i] < -kLimit || v[i] > kLimit) return {};
    }
    return {v[0], v[1], v[2], v[3]};
}

void WriteRect(ProfileStore& store, const char* prefix, const QRect& rect) {
    const std::string p = prefix;
    store.WriteProfileInt(kSection, p + "X", rect.x());
    store.WriteProfileInt(kSection, p + "Y", rect.y());
    store.WriteProfileInt(kSection, p + "Width", rect.width());
    store.WriteProfileInt(kSection, p + "Height", rect.height());
}

QList<QRect> ScreenRects() {
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) rects << screen->geometry();
    return rects;
}

bool IsDockSide(int side) {
    return side == Qt::LeftDockWidgetArea || side == Qt::RightDockWidgetArea ||
           side == Qt::TopDockWidgetArea || side == Qt::BottomDockWidgetArea;
}
}  // namespace

QRect FittingRect(const QRect& stored, const QList<QRect>& screens) {
    if (stored.width() <= 0 || stored.height() <= 0) return {};
    for (const QRect& screen : screens)
        if (screen.contains(stored)) return stored;
    return {};
}

QRect FirstStartRect(const QRect& screen) {
    QRect rect(0, 0, screen.width() * 4 / 5, screen.height() * 4 / 5);
    rect.moveCenter(screen.center());
    return rect;
}

void ShowWithStoredPlace(CMainFrame& frame, ProfileStore& store) {
    QRect rect = FittingRect(ReadRect(store, ""), ScreenRects());
    if (rect.isNull()) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (primary) rect = FirstStartRect(primary->availableGeometry());
    }
    if (!rect.isNull()) frame.setGeometry(rect);
    // Every dock as it was: side, order, size, shown or hidden; laid out
    // before the window shows. A floating bar is left out (Qt would place
    // it by its client area, a frame's width off each start): it floats at
    // its own stored rectangle below.
    CResizableBar& bar = frame.Bar();
    const bool floats = store.GetProfileInt(kSection, "BarFloating", 0) != 0;
    const bool restored = RestoreDocks(frame, store, !floats);
    if (store.GetProfileInt(kSection, "Maximized", 0) != 0)
        frame.showMaximized();
    else
        frame.show();
    if (restored && !floats) return;
    const int side = store.GetProfileInt(kSection, "BarSide", 0);
    if (IsDockSide(side)) {
        // No thicker than the window: the rest is the picture's.
        const int size = store.GetProfileInt(kSection, "BarSize", CResizableBar::kDefaultSize);
        bar.DockAt(Qt::DockWidgetArea(side),
                   std::min(size, std::max(frame.width(), frame.height())));
    }
    if (floats) {
        const QRect floating = FittingRect(ReadRect(store, "Bar"), ScreenRects());
        bar.FloatAt(floating);
    }
}

bool RestoreDocks(CMainFrame& frame, ProfileStore& store, bool withBar) {
    const std::string text = store.GetProfileString(kSection, "Docks", "");
    // Far beyond what four docks and a toolbar take; a planted giant is ignored.
    if (text.empty() || text.size() > 64 * 1024) return false;
    // A dock is found by its name: without it, the bar keeps its place.
    CResizableBar& bar = frame.Bar();
    const QString name = bar.objectName();
    if (!withBar) bar.setObjectName(QString());
    const bool restored = frame.restoreState(
        QByteArray::fromBase64(QByteArray::fromStdString(text)), kDockStateVersion);
    bar.setObjectName(name);
    return restored;
}

void StorePlace(const CMainFrame& frame, ProfileStore& store) {
    store.WriteProfileString(kSection, "Docks",
                             frame.saveState(kDockStateVersion).toBase64().toStdString());
    const bool maximized = frame.isMaximized();
    WriteRect(store, "", maximized ? frame.normalGeometry() : frame.geometry());
    store.WriteProfileInt(kSection, "Maximized", maximized ? 1 : 0);
    const CResizableBar& bar = frame.Bar();
    const Qt::DockWidgetArea side = bar.DockSide();
    store.WriteProfileInt(kSection, "BarFloating", bar.isFloating() ? 1 : 0);
    if (bar.isFloating()) {
        WriteRect(store, "Bar", QRect(bar.pos(), bar.size()));
    } else if (side != Qt::NoDockWidgetArea) {
        store.WriteProfileInt(kSection, "BarSide", int(side));
        const bool horizontal = side == Qt::TopDockWidgetArea || side == Qt::BottomDockWidgetArea;
        store.WriteProfileInt(kSection, "BarSize", horizontal ? bar.height() : bar.width());
    }
}
