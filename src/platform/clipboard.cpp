#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace huepick {

void SystemClipboard::clear() { QGuiApplication::clipboard()->clear(QClipboard::Clipboard); }

void SystemClipboard::set_text(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

}  // namespace huepick
