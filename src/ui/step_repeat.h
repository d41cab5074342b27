// SPDX-License-Identifier: MIT
// Auto-repeat of the step buttons: the first pass runs at the press, then
// passes repeat while the button is held, paced by a timer so that nothing
// spins while waiting.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace huepick {

class StepRepeat : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstDelayMs = 400;
    static constexpr int kRepeatMs = 30;

    explicit StepRepeat(QObject* parent = nullptr);

    void setHeld(bool held);
    bool held() const { return m_held; }
    // Runs one pass now and then keeps repeating while held; a pass returns
    // false to end the repeat.
    void run(std::function<bool()> pass);

private:
    void next();

    QTimer m_timer;
    std::function<bool()> m_pass;
    bool m_held = false;
};

}  // namespace huepick
