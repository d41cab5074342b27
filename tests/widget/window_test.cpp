// SPDX-License-Identifier: MIT
// The window's own handling: hiding to the tray and coming back, dragging by
// the background, closing, and the log and help buttons.
#include "app_fixture.h"

namespace huepick::testing {
namespace {

class Window : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        store("00FF00");
        start();
    }
    QByteArray logBytes() const {
        QFile f(m_places.logFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(Window, RightPressOnTheBackgroundHidesItAndTheTrayBringsItBack) {
    // The icon comes once the first frame is on the screen.
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_fake.tray->shownTip == u"Vantrel!'s Huepick"_s; }));
    typeOver(Role::RedField, u"12"_s);
    const QPoint place = window().pos();
    QTest::mousePress(&window(), Qt::RightButton, {}, QPoint(200, 20));
    EXPECT_FALSE(window().isVisible());
    m_fake.tray->click();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().pos(), place);
    EXPECT_EQ(text(Role::RedField), u"12"_s);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
}

TEST_F(Window, WithoutATrayARightPressOnlyMinimises) {
    m_fake.tray->isAvailable = false;
    QTest::mousePress(&window(), Qt::RightButton, {}, QPoint(200, 20));
    EXPECT_TRUE(window().isMinimized());
    m_fake.tray->click();
    EXPECT_FALSE(window().isMinimized());
}

TEST_F(Window, LeftDragOnTheBackgroundMovesItOneToOne) {
    const QPoint start = window().pos();
    QTest::mousePress(&window(), Qt::LeftButton, {}, QPoint(200, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(230, 45), QPointF(start + QPoint(230, 45)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window(), &move);
    EXPECT_EQ(window().pos(), start + QPoint(30, 25));
    QTest::mouseRelease(&window(), Qt::LeftButton, {}, QPoint(230, 45));
    pointerMovesOver(&window(), QPoint(300, 100));
    EXPECT_EQ(window().pos(), start + QPoint(30, 25)) << "the release ends the drag";
    // A middle press starts nothing either.
    QTest::mousePress(&window(), Qt::MiddleButton, {}, QPoint(200, 20));
    pointerMovesOver(&window(), QPoint(100, 100));
    EXPECT_EQ(window().pos(), start + QPoint(30, 25));
}

TEST_F(Window, CloseButtonClosesWithAnyButtonAndStores) {
    QSignalSpy finished(m_app.get(), &HuepickApp::finished);
    typeOver(Role::HexField, u"#123456"_s);
    click(Role::CloseButton, Qt::MiddleButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(settingsBytes(), QByteArray("[settings]\nlastcolor=123456\n"));
}

TEST_F(Window, ExportAppendsOneRecordPerClick) {
    click(Role::ExportButton);
    click(Role::ExportButton, Qt::RightButton);
    const QByteArray record =
        "\"<FONT FACE=arial SIZE=3 COLOR=#00FF00><B>#00FF00</B>&nbsp;&nbsp;&nbsp;&nbsp;"
        "<FONT COLOR=#FFFFFF>\"\r\n\r\n";
    EXPECT_EQ(record.size(), 102);
    EXPECT_EQ(logBytes(), record + record);
}

TEST_F(Window, HelpAndLogOpenTheirFilesOnRelease) {
    press(Role::HelpButton);
    EXPECT_TRUE(m_fake.shell->opened.empty());
    release(Role::HelpButton);
    click(Role::LogButton);
    EXPECT_EQ(m_fake.shell->opened, (std::vector<QString>{m_places.helpFile, m_places.logFile}));
}

}  // namespace
}  // namespace huepick::testing
