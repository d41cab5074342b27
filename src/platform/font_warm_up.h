// SPDX-License-Identifier: MIT
// Gets fonts ready on a second thread while the main thread sets up the
// window: fontconfig parses dozens of files, and Qt then lists every font and
// looks for stand-ins of a family that is not installed, all before the first
// text can be drawn, and the window's fields show text in their first frame.
#pragma once

#include <QFont>
#include <functional>
#include <thread>

namespace huepick {

class FontWarmUp {
public:
    // Starts reading the font configuration; no Qt is needed yet.
    FontWarmUp();
    ~FontWarmUp();
    // With the application up: goes on to have Qt list the fonts and find
    // `font`, so the main thread finds the answers ready.
    void prepare(const QFont& font);
    // Returns once the work is done; call it before the application ends.
    void wait();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    void start(std::function<void()> work);

    std::thread m_thread;
};

}  // namespace huepick
