#include "ui/caret_rest.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace huepick {

CaretRest::CaretRest(QObject* parent)
    : QObject(parent), flash_time_(QGuiApplication::styleHints()->cursorFlashTime()) {
    rest_.setSingleShot(true);
    rest_.setInterval(kBlinkForMs);
    connect(&rest_, &QTimer::timeout, this,
            [] { QGuiApplication::styleHints()->setCursorFlashTime(0); });
    qApp->installEventFilter(this);
    rest_.start();
}

bool CaretRest::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::FocusIn:
            wake();
            break;
        default:
            break;
    }
    return false;
}

void CaretRest::wake() {
    if (QGuiApplication::styleHints()->cursorFlashTime() != flash_time_) {
        QGuiApplication::styleHints()->setCursorFlashTime(flash_time_);
    }
    rest_.start();
}

}  // namespace huepick
