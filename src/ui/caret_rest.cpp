// SPDX-License-Identifier: MIT
#include "ui/caret_rest.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace huepick {

CaretRest::CaretRest(QObject* parent)
    : QObject(parent), m_flashTime(QGuiApplication::styleHints()->cursorFlashTime()) {
    m_rest.setSingleShot(true);
    m_rest.setInterval(kBlinkForMs);
    connect(&m_rest, &QTimer::timeout, this,
            [] { QGuiApplication::styleHints()->setCursorFlashTime(0); });
    qApp->installEventFilter(this);
    m_rest.start();
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
    if (QGuiApplication::styleHints()->cursorFlashTime() != m_flashTime) {
        QGuiApplication::styleHints()->setCursorFlashTime(m_flashTime);
    }
    m_rest.start();
}

}  // namespace huepick
