// SPDX-License-Identifier: MIT
// Reads the font configuration on a second thread while the program connects
// to the display: fontconfig parses dozens of files before the first text can
// be drawn, and the window's fields show text in its first frame.
#pragma once

#include <thread>

namespace huepick {

class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    // Returns once the configuration is read; call it before the first text
    // is laid out, or Qt reads the configuration a second time meanwhile.
    void wait();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread m_thread;
};

}  // namespace huepick
