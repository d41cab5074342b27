// SPDX-License-Identifier: MIT
#include "ui/step_repeat.h"

namespace huepick {

StepRepeat::StepRepeat(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &StepRepeat::next);
}

void StepRepeat::setHeld(bool held) {
    m_held = held;
    if (!held) {
        m_timer.stop();
        m_pass = nullptr;
    }
}

void StepRepeat::run(std::function<bool()> pass) {
    m_pass = std::move(pass);
    m_timer.stop();
    if (m_held && m_pass()) {
        m_timer.start(kFirstDelayMs);
    }
}

void StepRepeat::next() {
    if (m_held && m_pass && m_pass()) {
        m_timer.start(kRepeatMs);
    }
}

}  // namespace huepick
