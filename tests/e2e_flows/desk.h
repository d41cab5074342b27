// One huepick run on a private desktop, with the moves the flow tests repeat:
// pointing at the window's controls, pressing keys over the hexadecimal field
// and reading what each action put on the clipboard.
#pragma once

#include <QPoint>
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "harness/app_run.h"
#include "harness/x_session.h"

namespace e2e {

// Centres of the controls, in window pixels. Where two buttons overlap the
// point lies in the part only one of them covers.
inline constexpr QPoint kRedField{152 + 14 + 12, 77 + 16 + 8};
inline constexpr QPoint kGreenField{162 + 17 + 12, 135 + 18 + 8};
inline constexpr QPoint kBlueField{157 + 17 + 12, 194 + 20 + 8};
inline constexpr QPoint kHexField{274 + 10 + 28, 99 + 14 + 9};
inline constexpr QPoint kRedUp{119 + 20, 63 + 10};
inline constexpr QPoint kGreenUp{128 + 18, 123 + 13};
inline constexpr QPoint kGreenDown{125 + 17, 151 + 12};
inline constexpr QPoint kExit{310 + 18, 143 + 15};
inline constexpr QPoint kExport{228 + 19, 36 + 14};
inline constexpr QPoint kHelp{210 + 16, 224 + 16};
inline constexpr QPoint kLog{240 + 18, 67 + 15};

// Only "[settings]" with this colour.
QByteArray ini_with_colour(const char* hex);

class Desk {
public:
    explicit Desk(XSessionOptions session_options = {}, AppOptions app_options = {});
    ~Desk();
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    // Starts the program, waits for its window, finds a background point and
    // gives the window the keyboard; false with error() set.
    bool start();
    const QString& error() const { return error_; }

    XSession& session() { return session_; }
    AppRun& app() { return app_; }
    QPoint background() const { return background_; }

    // Moves the pointer onto a window point so that the program sees a
    // movement there, even when the pointer already rests on it.
    bool point_at(QPoint local);
    // Crosses the window background, which enables all four text fields.
    bool cross_background() { return point_at(background_); }

    // Puts a text on the clipboard that no action of the program produces, so
    // that whatever is read afterwards was really copied by that action.
    bool put_sentinel();

    // Presses keys (xdotool names) over the hexadecimal field and waits for
    // `expected` on the clipboard; returns the last text seen.
    std::optional<QString> copy_with_key(const QString& keys, const QString& expected);
    // Crosses the background, presses the right button on a text field and
    // waits for `expected`; returns the last text seen.
    std::optional<QString> copy_field(QPoint field, const QString& expected);
    // The same for a text not known beforehand: waits for anything but the
    // sentinel.
    std::optional<QString> copy_field(QPoint field);
    // Points at a field, selects all of its text and types over it.
    bool type_into(QPoint field, const QString& text);
    // Left press and release on a window point, as a click on a button.
    bool click(QPoint local, int button = 1) { return point_at(local) && session_.click(button); }

private:
    void reap_sentinels();

    XSession session_;
    AppRun app_;
    QString error_;
    QPoint background_;
    QString sentinel_;
    int sentinels_made_ = 0;
    std::vector<std::unique_ptr<QProcess>> sentinels_;
};

}  // namespace e2e
