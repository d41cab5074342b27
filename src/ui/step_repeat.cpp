#include "ui/step_repeat.h"

namespace huepick {

StepRepeat::StepRepeat(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &StepRepeat::next);
}

void StepRepeat::set_held(bool held) {
    held_ = held;
    if (!held) {
        timer_.stop();
        pass_ = nullptr;
    }
}

void StepRepeat::run(std::function<bool()> pass) {
    pass_ = std::move(pass);
    timer_.stop();
    if (held_ && pass_()) {
        timer_.start(kFirstDelayMs);
    }
}

void StepRepeat::next() {
    if (held_ && pass_ && pass_()) {
        timer_.start(kRepeatMs);
    }
}

}  // namespace huepick
