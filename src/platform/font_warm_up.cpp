// SPDX-License-Identifier: MIT
#include "platform/font_warm_up.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <system_error>

namespace huepick {

// fontconfig keeps one configuration per process and sets it atomically, so
// Qt finds it ready, or builds its own if asked first.
FontWarmUp::FontWarmUp() {
    start([] { FcInit(); });
}

FontWarmUp::~FontWarmUp() {
    wait();
}

void FontWarmUp::prepare(const QFont& font) {
    // After the configuration, or Qt would read it a second time meanwhile.
    wait();
    // Qt's font database is shared by all threads behind its own lock; the
    // engine loaded here stays in this thread's cache, but the list of fonts
    // and the stand-ins found for the family serve the main thread.
    start([font] {
        QFontDatabase::families();
        QFontMetrics(font).height();
    });
}

void FontWarmUp::wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void FontWarmUp::start(std::function<void()> work) {
    try {
        m_thread = std::thread(std::move(work));
    } catch (const std::system_error&) {
        // No thread to spare: Qt does the work when it needs it.
    }
}

}  // namespace huepick
