// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work that the first frame does not need waits for it: `then` runs once,
// from the event loop, after the first paint of `widget` has reached the
// window.

#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

void AfterFirstPaint(QWidget* widget, std::function<void()> then);

// For start-up measures (bench/first_frame.py, which runs the editor and a
// minimal viewer alike): prints "first-paint NANOSECONDS" of the monotonic
// clock and ends the program at once. Inline, so that the viewer shares it
// without linking the editor's code.
inline void ReportFirstPaintAndExit() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("first-paint %lld\n",
                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    std::_Exit(0);
}
