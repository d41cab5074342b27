// SPDX-License-Identifier: MIT
#include "platform/font_warm_up.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace huepick {

// fontconfig keeps one configuration per process and sets it atomically, so
// Qt finds it ready, or builds its own if asked first.
FontWarmUp::FontWarmUp() {
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: Qt reads the configuration when it needs it.
    }
}

FontWarmUp::~FontWarmUp() {
    wait();
}

void FontWarmUp::wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

}  // namespace huepick
