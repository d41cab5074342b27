// SPDX-License-Identifier: MIT
// Which of Qt's windowing platforms can run here, decided before Qt starts:
// Qt aborts when none of the platforms it tries can connect, and the user is
// to get one line instead.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/x11/x11_display.h"

namespace huepick {

// The platforms Qt is to try, in order, lower case, without options: those
// named in QT_QPA_PLATFORM (a list, any case), or where it is unset, Wayland
// then X11 in a Wayland session and X11 elsewhere.
QStringList platformCandidates(const QString& requested, const QString& sessionType);

class DisplayCheck {
public:
    // Probes the candidates for the environment this process runs in.
    DisplayCheck();

    // The candidates that can be reached, in order; empty when none can.
    const QStringList& platforms() const { return m_platforms; }
    // One line saying why none can be reached.
    const QString& problem() const { return m_problem; }
    // Lets go of the probe's display connection, once Qt holds its own.
    void release() { m_x11.release(); }

private:
    QStringList m_platforms;
    QString m_problem;
    X11DisplayProbe m_x11;
};

}  // namespace huepick
