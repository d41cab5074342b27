// SPDX-License-Identifier: MIT
#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace huepick {

void QtClipboard::copy(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
}

}  // namespace huepick
