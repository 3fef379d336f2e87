// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/font_warm_up.h"

#if defined(__unix__)
#include <dlfcn.h>
#endif

CFontConfigWarmUp::CFontConfigWarmUp() {
#if defined(__unix__)
    // Looked up, not linked: the library is there exactly when Qt's own
    // font code uses it, and then FcInit is what that code calls first.
    using Init = int (*)();
    if (void* symbol = dlsym(RTLD_DEFAULT, "FcInit")) {
        const auto init = reinterpret_cast<Init>(symbol);
        m_thread = std::thread([init] { init(); });
    }
#endif
}

CFontConfigWarmUp::~CFontConfigWarmUp() {
    Wait();
}

void CFontConfigWarmUp::Wait() {
    if (m_thread.joinable()) m_thread.join();
}
