// SPDX-License-Identifier: MIT
// Editing the colour with real input: the function-key notations, typing into
// the channel and hexadecimal fields, copying a field with the right button,
// and the step buttons.
#include <gtest/gtest.h>

#include <QThread>
#include <csignal>

#include "harness/desk.h"
#include "harness/printers.h"

namespace e2e {
namespace {

#define START(desk) ASSERT_TRUE((desk).open()) << (desk).error().toStdString()

TEST(Notations, EachFunctionKeyCopiesItsOwnText) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    const std::pair<const char*, const char*> table[] = {
        {"F1", "color = #FF8000"},
        {"F2", "color:#FF8000;"},
        {"F3", "text = #FF8000"},
        {"F4", "link = #FF8000"},
        {"F5", "vlink = #FF8000"},
        {"F6", "alink = #FF8000"},
        {"F7", "bordercolor = #FF8000"},
        {"F8", "bgcolor = #FF8000"},
        {"F9", ".forecolor = RGB(255,128,0)"},
        {"F10", ".backcolor = RGB(255,128,0)"},
    };
    for (const auto& [key, text] : table) {
        EXPECT_EQ(desk.copyWithKey(QLatin1String(key), QLatin1String(text)), QLatin1String(text))
            << key;
    }
}

TEST(Notations, ShiftCtrlAndAltLeaveTheFunctionKeyAlone) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    for (const char* keys : {"shift+F1", "ctrl+F1", "alt+F1"}) {
        EXPECT_EQ(desk.copyWithKey(QLatin1String(keys), QStringLiteral("color = #FF8000")),
                  QStringLiteral("color = #FF8000"))
            << keys;
    }
}

// Pointing is no request for the keyboard: keys typed while another program
// has it stay with that program.
TEST(Notations, PointingAtTheHexFieldNeverTakesTheKeyboardFromAnotherProgram) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    XSession& session = desk.session();
    // Another program takes the keyboard, as after picking from a browser.
    QProcess other;
    other.setProcessEnvironment(session.environment());
    dieWithParent(other, SIGKILL);
    other.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("+0+0"),
                                             QStringLiteral("other program")});
    ASSERT_TRUE(other.waitForStarted(5000));
    QString otherWindow;
    pollUntil(
        [&] {
            const ToolResult found =
                session.xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--class"), QStringLiteral("xmessage")});
            otherWindow = found.text().split(u'\n').first().trimmed();
            return !otherWindow.isEmpty();
        },
        5000);
    ASSERT_FALSE(otherWindow.isEmpty());
    ASSERT_TRUE(session.activate(otherWindow.toUInt()));

    ASSERT_TRUE(session.putSentinel());
    ASSERT_TRUE(desk.pointAt(Role::HexField));
    ASSERT_TRUE(session.key(QStringLiteral("F1")));
    ASSERT_TRUE(session.key(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(session.type(QStringLiteral("9")));
    // Everything sent so far has reached huepick, had it been sent there.
    ASSERT_TRUE(desk.sync());
    EXPECT_EQ(session.clipboard(), session.sentinel()) << "F1 reached huepick";
    const ToolResult active = session.xdotool({QStringLiteral("getactivewindow")});
    EXPECT_EQ(active.text().trimmed(), otherWindow) << "the keyboard moved to huepick";
    EXPECT_EQ(session.x().inputFocus(), otherWindow.toUInt());

    // The fields are as they were: the hex field shows the stored colour,
    // and the colour it names is unchanged.
    EXPECT_EQ(desk.copyField(Role::HexField, QStringLiteral("#FF8000")), QStringLiteral("#FF8000"));
    EXPECT_EQ(desk.copyField(Role::RedField, QStringLiteral("255")), QStringLiteral("255"));
    stopProcess(other);
}

TEST(ChannelFields, TypedValueAbove255IsClampedInTheFieldAndTheColour) {
    Desk desk({}, {.ini = iniWithColour("108000")});
    START(desk);
    ASSERT_TRUE(desk.typeInto(Role::RedField, QStringLiteral("300")));

    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F9"), QStringLiteral(".forecolor = RGB(255,128,0)")),
              QStringLiteral(".forecolor = RGB(255,128,0)"));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"));
    EXPECT_EQ(desk.copyField(Role::RedField, QStringLiteral("255")), QStringLiteral("255"));
}

TEST(HexField, EnterAppliesTheTypedColourToAllThreeChannels) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    ASSERT_TRUE(desk.typeInto(Role::HexField, QStringLiteral("#00FF00")));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Return")));

    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #00FF00")),
              QStringLiteral("color = #00FF00"));
    EXPECT_EQ(desk.copyField(Role::RedField, QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("255")), QStringLiteral("255"));
    EXPECT_EQ(desk.copyField(Role::BlueField, QStringLiteral("0")), QStringLiteral("0"));
}

// Lower-case digits are hex digits wherever a colour is read; the stored
// text is shown as it was, and a colour set by typing is stored upper-case.
TEST(HexField, LowerCaseDigitsAreReadAtStartAndWhenTyped) {
    Desk desk({}, {.ini = iniWithColour("ff8000")});
    START(desk);
    EXPECT_EQ(desk.copyField(Role::HexField, QStringLiteral("#ff8000")), QStringLiteral("#ff8000"));
    EXPECT_EQ(desk.copyField(Role::RedField, QStringLiteral("255")), QStringLiteral("255"));
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("128")), QStringLiteral("128"));
    EXPECT_EQ(desk.copyField(Role::BlueField, QStringLiteral("0")), QStringLiteral("0"));

    ASSERT_TRUE(desk.enterHex(QStringLiteral("#00ff00")));
    EXPECT_EQ(desk.copyField(Role::RedField, QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("255")), QStringLiteral("255"));
    EXPECT_EQ(desk.copyField(Role::BlueField, QStringLiteral("0")), QStringLiteral("0"));
    ASSERT_TRUE(desk.click(Role::CloseButton));
    const ExitInfo exit = desk.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "still running after the close button";
    EXPECT_EQ(exit.code, 0) << desk.stderrText().toStdString();
    EXPECT_EQ(desk.iniValue(QStringLiteral("settings"), QStringLiteral("lastcolor")),
              QStringLiteral("00FF00"));
}

TEST(HexField, TypingStopsAtSevenCharacters) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    ASSERT_TRUE(desk.typeInto(Role::HexField, QStringLiteral("#12345678")));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #123456")),
              QStringLiteral("color = #123456"));
    ASSERT_TRUE(desk.typeInto(Role::GreenField, QStringLiteral("1234")));
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("123")), QStringLiteral("123"));
}

TEST(ChannelFields, RightClickCopiesAndDisablesTheFieldUntilTheBackgroundIsCrossed) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    EXPECT_EQ(desk.copyField(Role::GreenField, QStringLiteral("128")), QStringLiteral("128"));

    // Still over the disabled field: typing must reach no field at all.
    ASSERT_TRUE(desk.session().type(QStringLiteral("7")));
    ASSERT_TRUE(desk.pointAt(Role::GreenField));
    ASSERT_TRUE(desk.session().key(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(desk.session().type(QStringLiteral("9")));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"))
        << "typed text reached a field while the copied one was disabled";

    // The hex field's own copy leaves the green field disabled, so a
    // background crossing is what brings it back.
    ASSERT_TRUE(desk.crossBackground());
    ASSERT_TRUE(desk.typeInto(Role::GreenField, QStringLiteral("64")));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF4000")),
              QStringLiteral("color = #FF4000"));
}

TEST(StepButtons, ClickStepsOnceAndHoldingRepeatsUntilTheRelease) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    ASSERT_TRUE(desk.click(Role::GreenUp));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8100")),
              QStringLiteral("color = #FF8100"));

    ASSERT_TRUE(desk.pointAt(Role::GreenDown));
    ASSERT_TRUE(desk.session().mouseDown(1));
    // The hold itself is the input under test.
    QThread::msleep(1500);
    ASSERT_TRUE(desk.session().mouseUp(1));
    const std::optional<QString> held = desk.copyField(Role::GreenField);
    ASSERT_TRUE(held.has_value());
    bool number = false;
    const int green = held->toInt(&number);
    ASSERT_TRUE(number) << held->toStdString();
    EXPECT_LE(green, 129 - 10) << "holding for 1.5 s made too few steps";
    EXPECT_GE(green, 0);

    // Released: the value stays where it stopped.
    QThread::msleep(300);
    EXPECT_EQ(desk.copyField(Role::GreenField, *held), *held);
}

TEST(StepButtons, HoldingRedUpFrom250StopsAt255) {
    Desk desk({}, {.ini = iniWithColour("FA8000")});
    START(desk);
    ASSERT_TRUE(desk.pointAt(Role::RedUp));
    ASSERT_TRUE(desk.session().mouseDown(1));
    QThread::msleep(2000);
    ASSERT_TRUE(desk.session().mouseUp(1));
    EXPECT_EQ(desk.copyWithKey(QStringLiteral("F1"), QStringLiteral("color = #FF8000")),
              QStringLiteral("color = #FF8000"));
    EXPECT_EQ(desk.copyField(Role::RedField, QStringLiteral("255")), QStringLiteral("255"));
}

}  // namespace
}  // namespace e2e
