// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scrolling by itself while a button is held near or beyond an edge of a
// scroll area, faster the farther out the mouse is.

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <functional>

class QAbstractScrollArea;

class CAutoScroll : public QObject {
    Q_OBJECT
public:
    // `dragging` says whether a drag with the button held is under way.
    CAutoScroll(QAbstractScrollArea& area, std::function<bool()> dragging);
    // The mouse is at client point `mouse`: scrolling starts or stops.
    void Follow(QPoint mouse);
    void Stop() { m_timer.stop(); }

private:
    void Step();

    QAbstractScrollArea& m_area;
    std::function<bool()> m_dragging;
    QTimer m_timer;
    QPoint m_mouse;
};
