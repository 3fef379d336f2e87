// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/first_paint.h"

#include <QEvent>
#include <QTimer>

namespace {

class CFirstPaintWatch : public QObject {
public:
    CFirstPaintWatch(QWidget* widget, std::function<void()> then)
        : QObject(widget), m_then(std::move(then)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The paint is under way: what follows it in the queue runs once
            // it is done and flushed.
            QTimer::singleShot(0, watched, std::move(m_then));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

}  // namespace

void AfterFirstPaint(QWidget* widget, std::function<void()> then) {
    new CFirstPaintWatch(widget, std::move(then));
}
