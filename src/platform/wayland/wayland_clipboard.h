// The clipboard on Wayland, where a compositor takes a new clipboard text
// only from the window that has the keyboard: a copy made while none of the
// program's windows has it (the press that copies may come before the focus
// it gives) is handed over as soon as one gets it.
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

private:
    void deliver();

    QtClipboard m_clipboard;
    std::optional<QString> m_pending;
    QTimer m_giveUp;
};

}  // namespace huepick
