// SPDX-License-Identifier: GPL-3.0-or-later
// Scrolling by itself at the edges while a button is held.

#include "view/auto_scroll.h"

#include <QAbstractScrollArea>
#include <QGuiApplication>
#include <QScrollBar>
#include <algorithm>
#include <utility>

namespace {

// How far from an edge the mouse starts the view scrolling, in client
// pixels, and how often it scrolls while the button is held.
constexpr int kAutoScrollEdge = 16;
constexpr int kAutoScrollMs = 30;

// The scroll of one step along one axis for a mouse at `at` in a view
// `length` pixels long: none away from the edges, more the farther out.
int AutoScrollSpeed(int at, int length) {
    int depth = 0;
    if (at < kAutoScrollEdge)
        depth = kAutoScrollEdge - at;
    else if (at >= length - kAutoScrollEdge)
        depth = at - (length - kAutoScrollEdge) + 1;
    if (depth <= 0) return 0;
    const int speed = std::min(2 + depth / 2, 200);
    return at < kAutoScrollEdge ? -speed : speed;
}

}  // namespace

CAutoScroll::CAutoScroll(QAbstractScrollArea& area, std::function<bool()> dragging)
    : m_area(area), m_dragging(std::move(dragging)) {
    m_timer.setInterval(kAutoScrollMs);
    connect(&m_timer, &QTimer::timeout, this, &CAutoScroll::Step);
}

void CAutoScroll::Follow(QPoint mouse) {
    m_mouse = mouse;
    const QWidget* window = m_area.viewport();
    const bool due = m_dragging() && (AutoScrollSpeed(mouse.x(), window->width()) ||
                                      AutoScrollSpeed(mouse.y(), window->height()));
    if (!due)
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void CAutoScroll::Step() {
    // A release that never came (the grab lost to another window) stops it.
    if (!m_dragging() || QGuiApplication::mouseButtons() == Qt::NoButton) {
        m_timer.stop();
        return;
    }
    const QWidget* window = m_area.viewport();
    QScrollBar* across = m_area.horizontalScrollBar();
    QScrollBar* down = m_area.verticalScrollBar();
    across->setValue(across->value() + AutoScrollSpeed(m_mouse.x(), window->width()));
    down->setValue(down->value() + AutoScrollSpeed(m_mouse.y(), window->height()));
}
