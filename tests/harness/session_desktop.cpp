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
int button_code(Qt::MouseButton button) {
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

QString modifier_for_wtype(const QString& name) {
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

void collect_windows(const QJsonObject& node, qint64 pid, std::vector<QRect>& found) {
    if (node[QLatin1String("pid")].toInteger(-1) == pid) {
        const QJsonObject r = node[QLatin1String("rect")].toObject();
        found.emplace_back(r[QLatin1String("x")].toInt(), r[QLatin1String("y")].toInt(),
                           r[QLatin1String("width")].toInt(), r[QLatin1String("height")].toInt());
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node[QLatin1String(children)].toArray()) {
            collect_windows(child.toObject(), pid, found);
        }
    }
}

}  // namespace

bool WaylandSession::pointer_command(const QString& line) {
    if (!pointer_ || pointer_->state() != QProcess::Running) {
        qWarning("wayland session: the virtual pointer is gone: %s",
                 qPrintable(tail_of(log_path(QStringLiteral("wl_input")))));
        return false;
    }
    pointer_->write(line.toUtf8() + '\n');
    QElapsedTimer clock;
    clock.start();
    while (!pointer_->canReadLine() && clock.elapsed() < 2000) {
        pointer_->waitForReadyRead(static_cast<int>(2000 - clock.elapsed()));
    }
    if (!pointer_->canReadLine()) {
        qWarning("wayland session: no answer from the virtual pointer to \"%s\"", qPrintable(line));
        return false;
    }
    const QByteArray answer = pointer_->readLine().trimmed();
    if (answer != "ok") {
        qWarning("wayland session: \"%s\": %s", qPrintable(line), answer.constData());
    }
    return answer == "ok";
}

bool WaylandSession::move(QPointF to) {
    // 'f' with 8 decimals keeps every 1/256 step exact.
    return pointer_command(
        QStringLiteral("move %1 %2").arg(to.x(), 0, 'f', 8).arg(to.y(), 0, 'f', 8));
}

bool WaylandSession::press(Qt::MouseButton button) {
    return button_code(button) > 0 &&
           pointer_command(QStringLiteral("down %1").arg(button_code(button)));
}

bool WaylandSession::release(Qt::MouseButton button) {
    return button_code(button) > 0 &&
           pointer_command(QStringLiteral("up %1").arg(button_code(button)));
}

bool WaylandSession::click(QPointF at, Qt::MouseButton button) {
    return button_code(button) > 0 && move(at) &&
           pointer_command(QStringLiteral("click %1").arg(button_code(button)));
}

bool WaylandSession::key(const QString& combo) {
    if (!ensure_keyboard()) {
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
        const QString modifier = modifier_for_wtype(part);
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
    return ensure_keyboard() && tool(QStringLiteral("wtype"), {text}, 10000).ok();
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

std::optional<QString> WaylandSession::clipboard(int timeout_ms) const {
    // Exit code 1 with "Nothing is copied" when the clipboard is empty.
    const ToolResult r =
        tool(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}, timeout_ms);
    return r.ok() ? std::optional<QString>(r.text()) : std::nullopt;
}

bool WaylandSession::set_clipboard(const QString& text) {
    if (clipboard_owner_) {
        stop_process(*clipboard_owner_);
    }
    // In the foreground, so that it stays our child and stops by PID.
    clipboard_owner_ = std::make_unique<QProcess>();
    clipboard_owner_->setProcessEnvironment(environment());
    clipboard_owner_->setWorkingDirectory(home());
    clipboard_owner_->setStandardInputFile(QProcess::nullDevice());
    clipboard_owner_->setStandardOutputFile(log_path(QStringLiteral("wl-copy")));
    clipboard_owner_->setStandardErrorFile(log_path(QStringLiteral("wl-copy")), QIODevice::Append);
    die_with_parent(*clipboard_owner_, SIGTERM);
    const QStringList command = user_->wrap(
        {QStringLiteral("wl-copy"), QStringLiteral("--foreground"), QStringLiteral("--"), text});
    clipboard_owner_->start(command.first(), command.mid(1));
    if (!clipboard_owner_->waitForStarted(5000)) {
        return false;
    }
    return poll_until([&] { return clipboard() == text; }, 3000, 10);
}

std::vector<QRect> WaylandSession::windows_of(qint64 pid) const {
    std::vector<QRect> found;
    const ToolResult r = swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (r.ok()) {
        collect_windows(QJsonDocument::fromJson(r.out).object(), pid, found);
    }
    return found;
}

std::optional<QRect> WaylandSession::wait_window(qint64 pid, int timeout_ms) const {
    QElapsedTimer clock;
    clock.start();
    std::optional<QRect> rect;
    poll_until(
        [&] {
            const std::vector<QRect> found = windows_of(pid);
            if (!found.empty() && found.front().isValid()) {
                rect = found.front();
            }
            return rect.has_value();
        },
        timeout_ms, 10);
    if (!rect) {
        return std::nullopt;
    }
    // Sway applies a new window's layout once the client has drawn for it,
    // or after 200 ms at the latest.
    const qint64 seen_at = clock.elapsed();
    poll_until(
        [&] {
            if (clock.elapsed() - seen_at > 300) {
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
            const int scale = options_.scale;
            for (int y = 0; y < area.height(); y += 7) {
                for (int x = 0; x < area.width(); x += 7) {
                    const auto expected =
                        background_at(QPoint(rect->x() * scale + x, rect->y() * scale + y));
                    if (expected && area.pixel(x, y) != *expected) {
                        return true;
                    }
                }
            }
            return false;
        },
        timeout_ms, 10);
    return rect;
}

std::optional<QRgb> WaylandSession::background_at(QPoint device) const {
    if (options_.background_image.isEmpty()) {
        return options_.background.rgb();
    }
    if (background_.size() == options_.output_size && background_.rect().contains(device)) {
        return background_.pixel(device);
    }
    return std::nullopt;
}

}  // namespace e2e::wayland
