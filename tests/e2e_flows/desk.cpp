#include "desk.h"

#include <csignal>

#include "harness/process.h"
#include "layout_points.h"

namespace e2e {

QByteArray ini_with_colour(const char* hex) {
    return QByteArray("[settings]\nlastcolor=") + hex + '\n';
}

Desk::Desk(XSessionOptions session_options, AppOptions app_options)
    : session_(std::move(session_options)), app_(session_, std::move(app_options)) {}

Desk::~Desk() {
    for (const std::unique_ptr<QProcess>& p : sentinels_) {
        stop_process(*p, 200);
    }
}

bool Desk::start() {
    if (!session_.ok()) {
        error_ = session_.error();
        return false;
    }
    if (!app_.start() || !app_.wait_for_window()) {
        error_ = app_.error();
        return false;
    }
    const std::optional<std::vector<QRect>> shape = session_.x().bounding_shape(app_.window());
    const std::optional<QPoint> background = shape ? background_point(*shape) : std::nullopt;
    if (!background) {
        error_ = QStringLiteral("no background point in the window's shape");
        return false;
    }
    background_ = *background;
    if (!session_.activate(app_.window())) {
        error_ = QStringLiteral("the window cannot be given the keyboard focus");
        return false;
    }
    return true;
}

bool Desk::point_at(QPoint local) {
    const std::optional<QPoint> target = app_.to_screen(local);
    if (!target) {
        return false;
    }
    // A pointer already there would produce no movement at all.
    if (session_.pointer() == *target && !session_.mouse_move(*target + QPoint(1, 0))) {
        return false;
    }
    return session_.mouse_move(*target);
}

void Desk::reap_sentinels() {
    std::erase_if(sentinels_, [](const std::unique_ptr<QProcess>& p) {
        return p->state() == QProcess::NotRunning;
    });
}

bool Desk::put_sentinel() {
    reap_sentinels();
    sentinel_ = QStringLiteral("sentinel %1").arg(++sentinels_made_);
    const QString& text = sentinel_;
    // In the foreground xclip keeps the selection until another client takes
    // it, and then exits; its PID stays ours to end.
    auto owner = std::make_unique<QProcess>();
    owner->setProcessEnvironment(session_.environment());
    owner->setStandardOutputFile(QProcess::nullDevice());
    owner->setStandardErrorFile(QProcess::nullDevice());
    die_with_parent(*owner, SIGTERM);
    owner->start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                           QStringLiteral("clipboard"), QStringLiteral("-i")});
    if (!owner->waitForStarted(5000)) {
        return false;
    }
    // Without an event loop the pipe is only fed while we wait for it.
    owner->write(text.toUtf8());
    owner->waitForBytesWritten(2000);
    owner->closeWriteChannel();
    sentinels_.push_back(std::move(owner));
    return session_.wait_clipboard(text) == text;
}

std::optional<QString> Desk::copy_with_key(const QString& keys, const QString& expected) {
    if (!put_sentinel() || !point_at(kHexField) || !session_.key(keys)) {
        return std::nullopt;
    }
    return session_.wait_clipboard(expected);
}

std::optional<QString> Desk::copy_field(QPoint field, const QString& expected) {
    if (!put_sentinel() || !cross_background() || !point_at(field) || !session_.click(3)) {
        return std::nullopt;
    }
    return session_.wait_clipboard(expected);
}

std::optional<QString> Desk::copy_field(QPoint field) {
    if (!put_sentinel() || !cross_background() || !point_at(field) || !session_.click(3)) {
        return std::nullopt;
    }
    // Between its clear and its set the clipboard has no owner at all.
    std::optional<QString> seen;
    poll_until(
        [&] {
            seen = session_.clipboard();
            return seen && *seen != sentinel_;
        },
        3000, 20);
    return seen;
}

bool Desk::type_into(QPoint field, const QString& text) {
    return point_at(field) && session_.key(QStringLiteral("ctrl+a")) && session_.type(text);
}

}  // namespace e2e
