// SPDX-License-Identifier: MIT
// The clipboard on Wayland, where a compositor takes a new clipboard text
// only from the window that has the keyboard: a copy made while none of the
// program's windows has it (the press that copies may come before the focus
// it gives) is handed over as soon as one gets it. On exit, a text the
// program still owns is handed to a keeper process.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "platform/clipboard.h"

namespace huepick {

class WaylandClipboard : public QObject, public Clipboard {
    Q_OBJECT
public:
    // How long a copy waits for the keyboard before it is given up.
    static constexpr int kWaitMs = 2000;

    explicit WaylandClipboard(QObject* parent = nullptr);
    void copy(const QString& text) override;
    void keepAfterExit() override;

private:
    void deliver();

    // A MIME type offered with every copy, unique to this process: the
    // compositor's current selection shows whether a copy is still ours,
    // which Qt cannot tell when the compositor ignored its request.
    const QString m_marker;
    std::optional<QString> m_pending;
    QTimer m_giveUp;
};

}  // namespace huepick
