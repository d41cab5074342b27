// SPDX-License-Identifier: MIT
// Lets the text caret blink only for a while after the user's last input, as
// GTK does, so that an idle window with a focused field costs no CPU at all.
#pragma once

#include <QObject>
#include <QTimer>

namespace huepick {

class CaretRest : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlinkForMs = 10000;

    explicit CaretRest(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wake();

    QTimer m_rest;
    int m_flashTime;
};

}  // namespace huepick
