// SPDX-License-Identifier: MIT
// A private desktop with one run of the program on it: the session, the
// program's window and the keyboard on that window, brought up together.
#pragma once

#include <QByteArray>

#include "harness/x_app.h"
#include "harness/x_session.h"

namespace e2e {

// Only "[settings]" with this colour.
QByteArray iniWithColour(const char* hex);

namespace detail {
// Constructed first, so that the run can be given the session.
struct OwnSession {
    explicit OwnSession(XSessionOptions options) : ownSession(std::move(options)) {}
    XSession ownSession;
};
}  // namespace detail

class Desk : private detail::OwnSession, public XAppRun {
public:
    explicit Desk(XSessionOptions sessionOptions = {}, AppOptions appOptions = {})
        : OwnSession(std::move(sessionOptions)), XAppRun(ownSession, std::move(appOptions)) {}

    // Launches the program, finds its background and gives its window the
    // keyboard; false with error() set.
    bool open() {
        if (!launch()) {
            return false;
        }
        if (!background()) {
            setError(QStringLiteral("no background point in the window's shape"));
            return false;
        }
        if (!focus()) {
            setError(QStringLiteral("the window cannot be given the keyboard focus"));
            return false;
        }
        return true;
    }
};

inline QByteArray iniWithColour(const char* hex) {
    return QByteArray("[settings]\nlastcolor=") + hex + '\n';
}

}  // namespace e2e
