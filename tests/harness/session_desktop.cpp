// SPDX-License-Identifier: MIT
// Acting on a running session and looking at it: pointer and keys, the
// screen through grim, the clipboard through wl-clipboard, windows through
// sway's tree.
#include <signal.h>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "wayland_session.h"

namespace e2e::wayland {

namespace {

// Linux input event codes.
int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 272;
        case Qt::RightButton:
            return 273;
        case Qt::MiddleButton:
            return 274;
        default:
            return -1;
    }
}

QString modifierForWtype(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("ctrl") || lower == QLatin1String("control")) {
        return QStringLiteral("ctrl");
    }
    if (lower == QLatin1String("super") || lower == QLatin1String("win") ||
        lower == QLatin1String("logo") || lower == QLatin1String("meta")) {
        return QStringLiteral("logo");
    }
    if (lower == QLatin1String("shift") || lower == QLatin1String("alt") ||
        lower == QLatin1String("altgr")) {
        return lower;
    }
    return {};
}

void collectWindows(const QJsonObject& node, qint64 pid, std::vector<QRect>& found) {
    if (node[QLatin1String("pid")].toInteger(-1) == pid) {
        const QJsonObject r = node[QLatin1String("rect")].toObject();
        found.emplace_back(r[QLatin1String("x")].toInt(), r[QLatin1String("y")].toInt(),
                           r[QLatin1String("width")].toInt(), r[QLatin1String("height")].toInt());
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node[QLatin1String(children)].toArray()) {
            collectWindows(child.toObject(), pid, found);
        }
    }
}

}  // namespace

bool WaylandSession::pointerCommand(const QString& line) {
    if (!m_pointer || m_pointer->state() != QProcess::Running) {
        qWarning("wayland session: the virtual pointer is gone: %s",
                 qPrintable(tailOf(logPath(QStringLiteral("wl_input")))));
        return false;
    }
    m_pointer->write(line.toUtf8() + '\n');
    QElapsedTimer clock;
    clock.start();
    while (!m_pointer->canReadLine() && clock.elapsed() < 2000) {
        m_pointer->waitForReadyRead(static_cast<int>(2000 - clock.elapsed()));
    }
    if (!m_pointer->canReadLine()) {
        qWarning("wayland session: no answer from the virtual pointer to \"%s\"", qPrintable(line));
        return false;
    }
    const QByteArray answer = m_pointer->readLine().trimmed();
    if (answer != "ok") {
        qWarning("wayland session: \"%s\": %s", qPrintable(line), answer.constData());
    }
    return answer == "ok";
}

bool WaylandSession::move(QPointF to) {
    // 'f' with 8 decimals keeps every 1/256 step exact.
    return pointerCommand(
        QStringLiteral("move %1 %2").arg(to.x(), 0, 'f', 8).arg(to.y(), 0, 'f', 8));
}

bool WaylandSession::press(Qt::MouseButton button) {
    return buttonCode(button) > 0 &&
           pointerCommand(QStringLiteral("down %1").arg(buttonCode(button)));
}

bool WaylandSession::release(Qt::MouseButton button) {
    return buttonCode(button) > 0 &&
           pointerCommand(QStringLiteral("up %1").arg(buttonCode(button)));
}

bool WaylandSession::click(QPointF at, Qt::MouseButton button) {
    return buttonCode(button) > 0 && move(at) &&
           pointerCommand(QStringLiteral("click %1").arg(buttonCode(button)));
}

bool WaylandSession::key(const QString& combo) {
    if (!ensureKeyboard()) {
        return false;
    }
    QStringList parts = combo.split(u'+');
    // "ctrl++" means ctrl and the plus key.
    if (combo.endsWith(QLatin1String("++"))) {
        parts.removeLast();
        parts.last() = QStringLiteral("plus");
    }
    const QString name = parts.takeLast();
    QStringList args;
    QStringList release;
    for (const QString& part : parts) {
        const QString modifier = modifierForWtype(part);
        if (modifier.isEmpty()) {
            qWarning("wayland session: unknown modifier \"%s\"", qPrintable(part));
            return false;
        }
        args << QStringLiteral("-M") << modifier;
        release << QStringLiteral("-m") << modifier;
    }
    args << QStringLiteral("-k") << name << release;
    const ToolResult r = tool(QStringLiteral("wtype"), args);
    if (!r.ok()) {
        qWarning("wayland session: wtype %s: %s", qPrintable(combo), qPrintable(r.describe()));
    }
    return r.ok();
}

bool WaylandSession::type(const QString& text) {
    return ensureKeyboard() && tool(QStringLiteral("wtype"), {text}, 10000).ok();
}

QImage WaylandSession::screenshot() const {
    const ToolResult r =
        tool(QStringLiteral("grim"),
             {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")}, 10000);
    return r.ok() ? QImage::fromData(r.out, "PPM") : QImage();
}

std::optional<QColor> WaylandSession::pixel(QPoint logical) const {
    // grim takes logical coordinates and gives device pixels: at scale 2 the
    // 1x1 region is 2x2 pixels, of which the top-left one is wanted.
    const ToolResult r =
        tool(QStringLiteral("grim"),
             {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-g"),
              QStringLiteral("%1,%2 1x1").arg(logical.x()).arg(logical.y()), QStringLiteral("-")});
    const QImage image = r.ok() ? QImage::fromData(r.out, "PPM") : QImage();
    if (image.isNull()) {
        return std::nullopt;
    }
    return image.pixelColor(0, 0);
}

std::optional<QString> WaylandSession::clipboard(int timeoutMs) const {
    // Exit code 1 with "Nothing is copied" when the clipboard is empty.
    const ToolResult r =
        tool(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}, timeoutMs);
    return r.ok() ? std::optional<QString>(r.text()) : std::nullopt;
}

bool WaylandSession::setClipboard(const QString& text) {
    if (m_clipboardOwner) {
        stopProcess(*m_clipboardOwner);
    }
    // In the foreground, so that it stays our child and stops by PID.
    m_clipboardOwner = std::make_unique<QProcess>();
    m_clipboardOwner->setProcessEnvironment(environment());
    m_clipboardOwner->setWorkingDirectory(home());
    m_clipboardOwner->setStandardInputFile(QProcess::nullDevice());
    m_clipboardOwner->setStandardOutputFile(logPath(QStringLiteral("wl-copy")));
    m_clipboardOwner->setStandardErrorFile(logPath(QStringLiteral("wl-copy")), QIODevice::Append);
    dieWithParent(*m_clipboardOwner, SIGTERM);
    const QStringList command = m_user->wrap(
        {QStringLiteral("wl-copy"), QStringLiteral("--foreground"), QStringLiteral("--"), text});
    m_clipboardOwner->start(command.first(), command.mid(1));
    if (!m_clipboardOwner->waitForStarted(5000)) {
        return false;
    }
    return pollUntil([&] { return clipboard() == text; }, 3000, 10);
}

std::vector<QRect> WaylandSession::windowsOf(qint64 pid) const {
    std::vector<QRect> found;
    const ToolResult r = swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (r.ok()) {
        collectWindows(QJsonDocument::fromJson(r.out).object(), pid, found);
    }
    return found;
}

std::optional<QRect> WaylandSession::waitWindow(qint64 pid, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    std::optional<QRect> rect;
    pollUntil(
        [&] {
            const std::vector<QRect> found = windowsOf(pid);
            if (!found.empty() && found.front().isValid()) {
                rect = found.front();
            }
            return rect.has_value();
        },
        timeoutMs, 10);
    if (!rect) {
        return std::nullopt;
    }
    // Sway applies a new window's layout once the client has drawn for it,
    // or after 200 ms at the latest.
    const qint64 seenAt = clock.elapsed();
    pollUntil(
        [&] {
            if (clock.elapsed() - seenAt > 300) {
                return true;
            }
            const ToolResult r =
                tool(QStringLiteral("grim"),
                     {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-g"),
                      QStringLiteral("%1,%2 %3x%4")
                          .arg(rect->x())
                          .arg(rect->y())
                          .arg(rect->width())
                          .arg(rect->height()),
                      QStringLiteral("-")});
            const QImage area = r.ok() ? QImage::fromData(r.out, "PPM") : QImage();
            const int scale = m_options.scale;
            for (int y = 0; y < area.height(); y += 7) {
                for (int x = 0; x < area.width(); x += 7) {
                    const auto expected =
                        backgroundAt(QPoint(rect->x() * scale + x, rect->y() * scale + y));
                    if (expected && area.pixel(x, y) != *expected) {
                        return true;
                    }
                }
            }
            return false;
        },
        timeoutMs, 10);
    return rect;
}

std::optional<QRgb> WaylandSession::backgroundAt(QPoint device) const {
    if (m_options.backgroundImage.isEmpty()) {
        return m_options.background.rgb();
    }
    if (m_background.size() == m_options.outputSize && m_background.rect().contains(device)) {
        return m_background.pixel(device);
    }
    return std::nullopt;
}

}  // namespace e2e::wayland
