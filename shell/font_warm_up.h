// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fontconfig reads its configuration and its caches the first time anyone
// asks for a font: some ten milliseconds of a cold start, all of them before
// the window's first text can be drawn. CFontConfigWarmUp does that reading
// on a thread of its own while Qt connects to the display. Wait() returns
// once it is done; it comes before the first widget is made, so that Qt's
// font database never meets a configuration half read. Where Qt does not
// use fontconfig (it is not in the process), nothing is started.

#include <thread>

class CFontConfigWarmUp {
public:
    CFontConfigWarmUp();
    ~CFontConfigWarmUp();
    CFontConfigWarmUp(const CFontConfigWarmUp&) = delete;
    CFontConfigWarmUp& operator=(const CFontConfigWarmUp&) = delete;

    void Wait();

private:
    std::thread m_thread;
};
