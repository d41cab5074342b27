// SPDX-License-Identifier: MIT
#include "platform/wayland/wayland_clipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QWindow>

#include "platform/clipboard_keeper.h"

namespace huepick {

WaylandClipboard::WaylandClipboard(QObject* parent)
    : QObject(parent),
      m_marker(QStringLiteral("application/x-huepick-copy;pid=%1")
                   .arg(QCoreApplication::applicationPid())) {
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(kWaitMs);
    connect(&m_giveUp, &QTimer::timeout, this, [this] { m_pending.reset(); });
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window != nullptr && m_pending) {
            deliver();
        }
    });
}

void WaylandClipboard::copy(const QString& text) {
    m_pending = text;
    if (QGuiApplication::focusWindow() != nullptr) {
        deliver();
    } else {
        m_giveUp.start();
    }
}

void WaylandClipboard::deliver() {
    m_giveUp.stop();
    auto* data = new QMimeData;
    data->setText(*m_pending);
    data->setData(m_marker, QByteArray());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    m_pending.reset();
}

void WaylandClipboard::keepAfterExit() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Qt stops owning the clipboard when another client takes it.
    const QMimeData* data = clipboard->ownsClipboard() ? clipboard->mimeData() : nullptr;
    if (data == nullptr || !data->hasText() || data->text().isEmpty()) {
        return;
    }
    QStringList args{QStringLiteral("wayland")};
    // A text copied from a field's own menu carries no marker; Qt's word
    // has to do for it.
    if (data->hasFormat(m_marker)) {
        args << m_marker;
    }
    launchClipboardKeeper(args, data->text().toUtf8());
}

}  // namespace huepick
