// SPDX-License-Identifier: MIT
// Typing into the channel fields, copying them with the right button, and
// focus that follows the pointer.
#include <QClipboard>
#include <QGuiApplication>

#include "app_fixture.h"

namespace huepick::testing {
namespace {

class ChannelField : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        store("FF8000");
        start();
    }
};

TEST_F(ChannelField, ValueAboveRangeIsClampedTo255) {
    typeOver(Role::RedField, u"10"_s);
    typeOver(Role::RedField, u"300"_s);
    EXPECT_EQ(text(Role::RedField), u"255"_s);
    EXPECT_EQ(shown(Role::RedSwatch), QColor(255, 0, 0));
    EXPECT_EQ(shown(Role::ColourSwatch), QColor(255, 128, 0));
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);
}

TEST_F(ChannelField, MinusBeforeANumberGivesZero) {
    typeOver(Role::GreenField, u"12"_s);
    ASSERT_EQ(shown(Role::GreenSwatch), QColor(0, 12, 0));
    QTest::keyClick(field(Role::GreenField), Qt::Key_Home);
    QTest::keyClicks(field(Role::GreenField), u"-"_s);
    EXPECT_EQ(text(Role::GreenField), u"0"_s);
    EXPECT_EQ(shown(Role::GreenSwatch), QColor(0, 0, 0));
    EXPECT_EQ(shown(Role::ColourSwatch), QColor(255, 0, 0));
    EXPECT_EQ(text(Role::HexField), u"#FF0000"_s);
}

TEST_F(ChannelField, ClearedFieldShowsTheRestoreValue) {
    QLineEdit* blue = field(Role::BlueField);
    QTest::keyClick(blue, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(blue, Qt::Key_Backspace);
    EXPECT_EQ(blue->text(), u"0"_s);

    // A step sets the value that comes back.
    typeOver(blue, u"199"_s);
    click(Role::BlueUp);
    ASSERT_EQ(blue->text(), u"200"_s);
    typeOver(blue, u"17"_s);
    QTest::keyClick(blue, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(blue, Qt::Key_Delete);
    EXPECT_EQ(blue->text(), u"200"_s);
    EXPECT_EQ(shown(Role::BlueSwatch), QColor(0, 0, 200));
    EXPECT_EQ(shown(Role::ColourSwatch), QColor(255, 128, 200));
    EXPECT_EQ(text(Role::HexField), u"#FF80C8"_s);
}

TEST_F(ChannelField, LetterBringsBackTheRestoreValue) {
    typeOver(Role::RedField, u"199"_s);
    click(Role::RedUp);
    typeOver(Role::RedField, u"12a"_s);
    EXPECT_EQ(text(Role::RedField), u"200"_s);
    EXPECT_EQ(shown(Role::RedSwatch), QColor(200, 0, 0));
    EXPECT_EQ(shown(Role::ColourSwatch), QColor(200, 128, 0));
    EXPECT_EQ(text(Role::HexField), u"#C88000"_s);
}

TEST_F(ChannelField, NumbersKeepTheirTypedText) {
    typeOver(Role::RedField, u"05"_s);
    EXPECT_EQ(text(Role::RedField), u"05"_s);
    EXPECT_EQ(text(Role::HexField), u"#058000"_s);

    typeOver(Role::GreenField, u"1.5"_s);
    EXPECT_EQ(text(Role::GreenField), u"1.5"_s);
    EXPECT_EQ(shown(Role::GreenSwatch), QColor(0, 2, 0));
    typeOver(Role::GreenField, u"2.5"_s);
    EXPECT_EQ(shown(Role::GreenSwatch), QColor(0, 2, 0));
    EXPECT_EQ(text(Role::HexField), u"#050200"_s);
}

TEST_F(ChannelField, TypingStopsAtThreeCharacters) {
    QTest::keyClick(field(Role::RedField), Qt::Key_End);
    QTest::keyClicks(field(Role::RedField), u"9"_s);
    EXPECT_EQ(text(Role::RedField), u"255"_s);
    typeOver(Role::GreenField, u"1234"_s);
    EXPECT_EQ(text(Role::GreenField), u"123"_s);
    EXPECT_EQ(shown(Role::GreenSwatch), QColor(0, 123, 0));
}

TEST_F(ChannelField, PasteIsCutToTheRoomLeft) {
    QGuiApplication::clipboard()->setText(u"12345"_s);
    QLineEdit* red = field(Role::RedField);
    QTest::keyClick(red, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(red, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(red->text(), u"123"_s);
    EXPECT_EQ(shown(Role::RedSwatch), QColor(123, 0, 0));

    // With "1" left in the field, two characters fit.
    typeOver(red, u"1"_s);
    QTest::keyClick(red, Qt::Key_End);
    QTest::keyClick(red, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(red->text(), u"112"_s);
}

TEST_F(ChannelField, RightButtonCopiesAndDisablesUntilThePointerMovesOverTheWindow) {
    QLineEdit* green = field(Role::GreenField);
    QTest::mousePress(green, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(copied(), (Texts{u"128"_s}));
    EXPECT_FALSE(green->isEnabled());
    QTest::mouseRelease(green, Qt::RightButton, {}, QPoint(3, 3));

    typeOver(Role::RedField, u"05"_s);
    QTest::mouseClick(field(Role::RedField), Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(copied(), (Texts{u"128"_s, u"05"_s}));
    EXPECT_FALSE(field(Role::RedField)->isEnabled());
    // A disabled field takes no typing.
    QTest::keyClicks(green, u"7"_s);
    EXPECT_EQ(green->text(), u"128"_s);

    // Left and middle presses copy nothing.
    QTest::mouseClick(field(Role::BlueField), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(field(Role::BlueField), Qt::MiddleButton, {}, QPoint(3, 3));
    EXPECT_EQ(copied().size(), 2u);
    EXPECT_TRUE(field(Role::BlueField)->isEnabled());

    // Moving over another control does not enable it again; the background does.
    pointerMovesOver(control(Role::RedUp));
    EXPECT_FALSE(green->isEnabled());
    pointerMovesOverBackground();
    for (Role f : {Role::RedField, Role::GreenField, Role::BlueField, Role::HexField}) {
        EXPECT_TRUE(field(f)->isEnabled()) << nameOf(f).toStdString();
    }
}

TEST_F(ChannelField, PointerOverAFieldGivesItTheFocus) {
    for (Role f : {Role::GreenField, Role::BlueField, Role::HexField, Role::RedField}) {
        pointerMovesOver(field(f));
        EXPECT_TRUE(field(f)->hasFocus()) << nameOf(f).toStdString();
    }
}

TEST_F(ChannelField, FunctionKeysDoNothingInAChannelField) {
    QTest::keyClick(field(Role::RedField), Qt::Key_F1);
    QTest::keyClick(field(Role::GreenField), Qt::Key_F9);
    EXPECT_TRUE(copied().empty());
}

}  // namespace
}  // namespace huepick::testing
