// SPDX-License-Identifier: MIT
// The program's main window on the offscreen platform, started as the
// program starts it, with its settings file in a temporary folder and a
// desktop of fakes. Controls are found by their object names.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <memory>

#include "app/huepick_app.h"
#include "core/layout.h"
#include "fake_desktop.h"
#include "qt_print.h"
#include "ui/picture_button.h"
#include "ui/swatch.h"

namespace huepick::testing {

using namespace Qt::StringLiterals;
using layout::Role;
using Triple = std::array<int, 3>;
using Texts = std::vector<QString>;

inline QString nameOf(Role role) {
    const std::string_view name = layout::control(role).name;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_places = {m_dir.filePath(u"huepick.ini"_s), m_dir.filePath(u"huepick.html"_s),
                    m_dir.filePath(u"help.html"_s)};
    }
    void TearDown() override { m_app.reset(); }

    // The settings file as a previous run would have left it.
    void store(const QByteArray& lastcolor) {
        writeSettings("[settings]\nlastcolor=" + lastcolor + "\n");
    }
    void writeSettings(const QByteArray& bytes) {
        QFile f(m_places.settingsFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray settingsBytes() const {
        QFile f(m_places.settingsFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Starts as the program does: restores the colour, shows the window.
    void start() {
        m_app = std::make_unique<HuepickApp>(m_fake.make(), m_places);
        m_app->start();
        m_window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == u"mainWindow"_s) {
                m_window = w;
            }
        }
        ASSERT_NE(m_window, nullptr);
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    }

    QWidget& window() { return *m_window; }
    template <class T = QWidget>
    T* control(Role role) {
        T* found = m_window->findChild<T*>(nameOf(role));
        EXPECT_NE(found, nullptr) << nameOf(role).toStdString();
        return found;
    }
    QLineEdit* field(Role role) { return control<QLineEdit>(role); }
    QString text(Role role) { return field(role)->text(); }
    QColor shown(Role swatch) { return control<Swatch>(swatch)->colour(); }
    Triple fields() {
        return {text(Role::RedField).toInt(), text(Role::GreenField).toInt(),
                text(Role::BlueField).toInt()};
    }
    // The colour swatch, which shows the current colour.
    Triple colour() {
        const QColor c = shown(Role::ColourSwatch);
        return {c.red(), c.green(), c.blue()};
    }
    const std::vector<QString>& copied() const { return m_fake.clipboard->copied; }

    void press(Role role, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(control(role), button, {}, QPoint(5, 5));
    }
    void release(Role role, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(control(role), button, {}, QPoint(5, 5));
    }
    void click(Role role, Qt::MouseButton button = Qt::LeftButton) {
        press(role, button);
        release(role, button);
    }

    // Selects the whole text and types over it, key by key.
    static void typeOver(QLineEdit* field, const QString& typed) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, typed);
    }
    void typeOver(Role role, const QString& typed) { typeOver(field(role), typed); }

    // A pointer movement with no button held, delivered straight to `target`.
    static void pointerMovesOver(QWidget* target, QPoint pos = {2, 2}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(target->mapToGlobal(pos)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    // Over a point of the window's background.
    void pointerMovesOverBackground() { pointerMovesOver(m_window, QPoint(200, 20)); }

    QTemporaryDir m_dir;
    StorageLocations m_places;
    FakeDesktop m_fake;
    std::unique_ptr<HuepickApp> m_app;
    QWidget* m_window = nullptr;
};

}  // namespace huepick::testing
