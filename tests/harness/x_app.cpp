#include "harness/x_app.h"

#include <QtMath>

#include "harness/x_session.h"

namespace e2e {

XAppRun::XAppRun(XSession& session, AppOptions options)
    : AppRun(session.environment(), options), session_(session) {
    bool parsed = false;
    const double factor = options.env.value(QStringLiteral("QT_SCALE_FACTOR")).toDouble(&parsed);
    scale_ = parsed && factor > 0 ? factor : 1.0;
}

bool XAppRun::launch() {
    if (!session_.ok()) {
        set_error(session_.error());
        return false;
    }
    const QImage before = session_.screenshot();
    return start() && wait_for_window() && wait_painted(before);
}

XWindow XAppRun::find_window() {
    return session_.x().top_level(kMainTitle, pid());
}

bool XAppRun::wait_for_window(int timeout_ms, double interval_ms) {
    window_ = 0;
    background_.reset();
    const bool found = poll_until(
        [&] {
            // No point waiting for a window of a dead process.
            return !running() || (window_ = find_window()) != 0;
        },
        timeout_ms, interval_ms);
    if (window_ == 0) {
        set_error(found ? QStringLiteral("huepick ended before its window appeared; stderr: ") +
                              stderr_text()
                        : QStringLiteral("no window titled \"%1\" within %2 ms")
                              .arg(kMainTitle)
                              .arg(timeout_ms));
        return false;
    }
    return true;
}

bool XAppRun::wait_painted(const QImage& before) {
    // Until the program paints, a newly mapped window shows whatever was on
    // the screen before; painted, most of it differs from that.
    const auto painted = [&] {
        const std::optional<QRect> where = geometry();
        const auto shape = session_.x().bounding_shape(window_);
        if (!where || !shape || before.isNull()) {
            return false;
        }
        const QImage now = session_.x().grab(*where);
        if (now.isNull()) {
            return false;
        }
        int samples = 0;
        int changed = 0;
        for (const QRect& part : *shape) {
            for (int y = part.top(); y <= part.bottom(); y += 5) {
                for (int x = part.left(); x <= part.right(); x += 5) {
                    ++samples;
                    changed += now.pixel(x, y) != before.pixel(where->topLeft() + QPoint(x, y));
                }
            }
        }
        return samples > 0 && changed * 2 > samples;
    };
    if (!poll_until(painted, 5000, 20)) {
        set_error(QStringLiteral("the window never showed its skin"));
        return false;
    }
    return true;
}

std::optional<QRect> XAppRun::geometry() {
    return window_ != 0 ? session_.x().geometry(window_) : std::nullopt;
}

bool XAppRun::viewable() {
    return window_ != 0 && session_.x().viewable(window_);
}

bool XAppRun::wait_viewable(bool wanted, int timeout_ms) {
    return poll_until([&] { return viewable() == wanted; }, timeout_ms);
}

std::optional<QPoint> XAppRun::to_screen(QPoint local) {
    const std::optional<QRect> g = geometry();
    if (!g) {
        return std::nullopt;
    }
    return g->topLeft() + QPoint(qRound(local.x() * scale_), qRound(local.y() * scale_));
}

std::optional<QPoint> XAppRun::background() {
    if (!background_ && window_ != 0) {
        // The shape is in device pixels, the table in logical ones.
        const auto shape = session_.x().bounding_shape(window_);
        if (shape) {
            std::vector<QRect> logical;
            for (const QRect& r : *shape) {
                logical.emplace_back(
                    QRectF(r.x() / scale_, r.y() / scale_, r.width() / scale_, r.height() / scale_)
                        .toAlignedRect());
            }
            background_ = background_point(logical);
        }
    }
    return background_;
}

bool XAppRun::focus() {
    return window_ != 0 && session_.activate(window_);
}

bool XAppRun::point_at(QPoint local) {
    const std::optional<QPoint> target = to_screen(local);
    if (!target) {
        return false;
    }
    // A pointer already there would produce no movement at all.
    if (session_.pointer() == *target && !session_.mouse_move(*target + QPoint(1, 0))) {
        return false;
    }
    return session_.mouse_move(*target);
}

bool XAppRun::click(QPoint local, int button) {
    return point_at(local) && session_.click(button);
}

bool XAppRun::cross_background() {
    // A program that reads late merges the movements queued for it into the
    // last one, and would then never see the pointer on the background.
    const std::optional<QPoint> at = background();
    return at && point_at(*at) && sync();
}

bool XAppRun::sync() {
    return window_ != 0 && session_.x().ping(window_, 3000);
}

std::optional<QString> XAppRun::copy_with_key(const QString& keys, const QString& expected) {
    if (!session_.put_sentinel() || !point_at(Role::HexField) || !session_.key(keys)) {
        return std::nullopt;
    }
    return session_.wait_clipboard(expected);
}

std::optional<QString> XAppRun::copy_field(Role field, const QString& expected) {
    if (!session_.put_sentinel() || !cross_background() || !click(field, 3)) {
        return std::nullopt;
    }
    return session_.wait_clipboard(expected);
}

std::optional<QString> XAppRun::copy_field(Role field) {
    if (!session_.put_sentinel() || !cross_background() || !click(field, 3)) {
        return std::nullopt;
    }
    return session_.wait_clipboard_change(session_.sentinel());
}

bool XAppRun::type_into(Role field, const QString& text) {
    return point_at(field) && session_.key(QStringLiteral("ctrl+a")) && session_.type(text);
}

bool XAppRun::enter_hex(const QString& hex) {
    // A right-button copy leaves the fields disabled until the pointer
    // crosses the background.
    return focus() && cross_background() && type_into(Role::HexField, hex) &&
           session_.key(QStringLiteral("Return"));
}

bool XAppRun::close_with_keyboard() {
    return window_ != 0 && session_.has_window_manager() && focus() &&
           session_.key(QStringLiteral("alt+F4"));
}

bool XAppRun::close_with_request() {
    return window_ != 0 && session_.x().request_close(window_);
}

}  // namespace e2e
