// SPDX-License-Identifier: MIT
#include "soak.h"

#include <QThread>
#include <algorithm>

#include "harness/window_points.h"

namespace soak {

namespace {

using huepick::layout::windowRect;

// The lens of the magnify mode: a disc of 150 pixels at this offset from the
// main window.
constexpr QPoint kLensCentre{160 + 75, 65 + 75};

constexpr Role kStepButtons[] = {Role::RedUp,     Role::RedDown, Role::GreenUp,
                                 Role::GreenDown, Role::BlueUp,  Role::BlueDown};
constexpr Role kChannelFields[] = {Role::RedField, Role::GreenField, Role::BlueField};
constexpr Role kFields[] = {Role::RedField, Role::GreenField, Role::BlueField, Role::HexField};

}  // namespace

// Where a random click on a control may land: the middle half of its
// rectangle, less what the controls stacked above it cover.
QRegion targetOf(Role role) {
    const QRect r = windowRect(role);
    QRegion target(r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4));
    for (std::size_t i = static_cast<std::size_t>(role) + 1; i < huepick::layout::kControls.size();
         ++i) {
        target -= windowRect(huepick::layout::kControls[i].role);
    }
    return target;
}

bool Soak::setUp() {
    const std::optional<std::vector<QRect>> shape = m_session.x().boundingShape(m_app.window());
    // Well clear of every control: a right click there hides the window, and
    // a left one would drag it.
    const std::optional<QPoint> background =
        shape ? e2e::backgroundPoint(*shape, 12) : std::nullopt;
    if (!background) {
        m_trouble = QStringLiteral("no background point in the window's shape");
        return false;
    }
    m_background = *background;
    if (!m_session.trayIcon()) {
        m_trouble = QStringLiteral("no tray icon");
        return false;
    }
    return true;
}

bool Soak::focus() {
    if (!m_focusLost) {
        return true;
    }
    if (!m_app.focus()) {
        m_trouble = QStringLiteral("the main window cannot get the focus");
        return false;
    }
    m_focusLost = false;
    return true;
}

QString Soak::randomHexText() {
    static const char kDigits[] = "0123456789ABCDEF";
    QString text = QStringLiteral("#");
    for (int i = 0; i < 6; ++i) {
        text += QLatin1Char(kDigits[m_random.bounded(16)]);
    }
    switch (m_random.bounded(10)) {
        case 0:
            return text.toLower();  // lower-case digits count as 0
        case 1:
            return text.left(pickNumber(1, 6));  // wrong length: ignored
        case 2:
            return text.mid(1);  // no "#"
        default:
            return text;
    }
}

bool Soak::typeIntoField() {
    static const char* const kOdd[] = {"abc", "-5", "1e3", "2.5", " 7", "999", "0x1", "+12"};
    const Role field = kChannelFields[m_random.bounded(3)];
    const QString text = m_random.bounded(4) == 0 ? QString::fromLatin1(kOdd[m_random.bounded(8)])
                                                  : QString::number(m_random.bounded(300));
    return focus() && wander() && moveTo(inside(field)) && key(QStringLiteral("ctrl+a")) &&
           type(text);
}

bool Soak::enterHex() {
    return focus() && wander() && moveTo(inside(Role::HexField)) && key(QStringLiteral("ctrl+a")) &&
           type(randomHexText()) && key(QStringLiteral("Return"));
}

bool Soak::functionKey() {
    return focus() && wander() && moveTo(inside(Role::HexField)) &&
           key(QStringLiteral("F%1").arg(pickNumber(1, 10)));
}

bool Soak::stepClick() {
    return click(inside(kStepButtons[m_random.bounded(6)]));
}

bool Soak::stepHold() {
    if (!moveTo(inside(kStepButtons[m_random.bounded(6)])) ||
        !sent(m_session.mouseDown(1), 1, "press a button")) {
        return false;
    }
    QThread::msleep(static_cast<unsigned long>(pickNumber(50, 400)));
    return sent(m_session.mouseUp(1), 1, "release a button");
}

bool Soak::pick(bool magnify) {
    if (!click(inside(magnify ? Role::MagnifyButton : Role::SampleButton))) {
        return false;
    }
    m_focusLost = true;
    if (!e2e::pollUntil([&] { return captureOpen(); }, 3000, 20)) {
        ++m_misses;
        return true;  // never click the desktop blind
    }
    // Anywhere on the capture but where the main window and the tray are, so
    // that a capture that closes early cannot pass the click on.
    const QRect screen(0, 0, 1280, 1024 - 40);
    const QRect mainArea = m_app.geometry().value_or(QRect());
    QPoint at;
    do {
        at = inside(screen);
    } while (mainArea.adjusted(-10, -10, 10, 10).contains(at));
    if (!sent(m_session.clickAt(at), 3, "click on the capture")) {
        return false;
    }
    if (magnify) {
        // The lens shows at a fixed place beside the main window; a click on
        // its disc picks.
        const double angle = m_random.bounded(2.0 * M_PI);
        const double radius = m_random.bounded(60.0);
        const QPoint onDisc = kLensCentre + QPoint(static_cast<int>(radius * std::cos(angle)),
                                                   static_cast<int>(radius * std::sin(angle)));
        QThread::msleep(60);
        if (!captureOpen() || !click(onDisc)) {
            ++m_misses;
        }
    }
    if (!e2e::pollUntil([&] { return !captureOpen(); }, 3000, 20)) {
        // Leave with a right-button press, which cancels.
        ++m_misses;
        sent(m_session.click(3), 2, "cancel the capture");
        if (!e2e::pollUntil([&] { return !captureOpen(); }, 3000, 20)) {
            m_trouble = QStringLiteral("the capture window does not go away");
            return false;
        }
    }
    ++m_picks;
    return true;
}

bool Soak::exportRecord() {
    if (!click(inside(Role::ExportButton))) {
        return false;
    }
    ++m_exports;
    return true;
}

bool Soak::copyField() {
    return click(inside(kFields[m_random.bounded(4)]), 3) && wander();
}

bool Soak::hideAndRestore() {
    if (!click(m_background, 3)) {
        return false;
    }
    m_focusLost = true;
    if (!m_app.waitViewable(false, 3000)) {
        ++m_misses;
        return true;
    }
    const std::optional<QRect> icon = m_session.trayIcon();
    if (!icon) {
        m_trouble = QStringLiteral("the tray icon went away");
        return false;
    }
    if (!sent(m_session.clickAt(icon->center()), 3, "click the tray icon") ||
        !m_app.waitViewable(true, 3000)) {
        m_trouble = QStringLiteral("the tray icon does not bring the window back");
        return false;
    }
    ++m_hides;
    return true;
}

bool Soak::step() {
    if (!m_app.running()) {
        m_trouble = QStringLiteral("huepick is gone");
        return false;
    }
    // Weights: cheap, frequent things first; picks and hiding now and then.
    const int roll = static_cast<int>(m_random.bounded(100));
    bool ok = false;
    if (roll < 14) {
        ok = typeIntoField();
    } else if (roll < 28) {
        ok = enterHex();
    } else if (roll < 42) {
        ok = functionKey();
    } else if (roll < 56) {
        ok = stepClick();
    } else if (roll < 66) {
        ok = stepHold();
    } else if (roll < 71) {
        ok = pick(false);
    } else if (roll < 76) {
        ok = pick(true);
    } else if (roll < 86) {
        ok = exportRecord();
    } else if (roll < 95) {
        ok = copyField();
    } else if (roll < 97) {
        ok = hideAndRestore();
    } else {
        ok = wander();
    }
    ++m_actions;
    return ok;
}

}  // namespace soak
