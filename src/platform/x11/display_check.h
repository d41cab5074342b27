// Whether the X display can be reached, asked before Qt would abort on it.
#pragma once

#include <QString>

struct xcb_connection_t;

namespace huepick {

class DisplayCheck {
public:
    // Connects to the display named by DISPLAY, unless QT_QPA_PLATFORM chose
    // another platform. A good connection is kept until release(): an X
    // server that resets when its last client leaves (Xvfb, a bare xinit)
    // would otherwise reset just as Qt connects, and Qt aborts when refused.
    DisplayCheck();
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // Empty when the display (or the other platform) is usable, otherwise
    // one line saying why not.
    const QString& problem() const { return problem_; }

    // Lets go of the probe's connection, once Qt holds its own.
    void release();

private:
    QString problem_;
    xcb_connection_t* connection_ = nullptr;
};

}  // namespace huepick
