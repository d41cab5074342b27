// SPDX-License-Identifier: MIT
// The hex field: the ten notations, Enter, typing limits and copying.
#include "app_fixture.h"

namespace huepick::testing {
namespace {

class HexField : public AppTest {
protected:
    void startWith(const QByteArray& stored) {
        store(stored);
        start();
    }
    void enter(const QString& typed) {
        typeOver(Role::HexField, typed);
        ASSERT_EQ(text(Role::HexField), typed);
        QTest::keyClick(field(Role::HexField), Qt::Key_Return);
    }
    void expectColour(Triple rgb) {
        const auto [r, g, b] = rgb;
        EXPECT_EQ(fields(), rgb);
        EXPECT_EQ(shown(Role::RedSwatch), QColor(r, 0, 0));
        EXPECT_EQ(shown(Role::GreenSwatch), QColor(0, g, 0));
        EXPECT_EQ(shown(Role::BlueSwatch), QColor(0, 0, b));
        EXPECT_EQ(shown(Role::ColourSwatch), QColor(r, g, b));
    }
};

TEST_F(HexField, FunctionKeysCopyTheTenNotationsWhateverModifiersAreHeld) {
    startWith("FF8000");
    const char16_t* const expected[] = {
        u"color = #FF8000",
        u"color:#FF8000;",
        u"text = #FF8000",
        u"link = #FF8000",
        u"vlink = #FF8000",
        u"alink = #FF8000",
        u"bordercolor = #FF8000",
        u"bgcolor = #FF8000",
        u".forecolor = RGB(255,128,0)",
        u".backcolor = RGB(255,128,0)",
    };
    for (const Qt::KeyboardModifiers mod :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier)}) {
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(field(Role::HexField), static_cast<Qt::Key>(Qt::Key_F1 + i), mod);
            ASSERT_FALSE(copied().empty());
            EXPECT_EQ(copied().back(), QString::fromUtf16(expected[i]))
                << "F" << i + 1 << " modifiers " << mod.toInt();
        }
    }
    EXPECT_EQ(copied().size(), 40u);
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);
    for (Qt::Key other : {Qt::Key_F11, Qt::Key_F12, Qt::Key_Escape}) {
        QTest::keyClick(field(Role::HexField), other);
    }
    EXPECT_EQ(copied().size(), 40u);
}

TEST_F(HexField, NotationsCopyTheFieldTextsAsTheyAre) {
    startWith("FF8000");
    typeOver(Role::RedField, u"05"_s);
    typeOver(Role::HexField, u"#12"_s);
    QTest::keyClick(field(Role::HexField), Qt::Key_F1);
    QTest::keyClick(field(Role::HexField), Qt::Key_F9);
    EXPECT_EQ(copied(), (Texts{u"color = #12"_s, u".forecolor = RGB(05,128,0)"_s}));
}

TEST_F(HexField, EnterAppliesSevenCharactersWhateverTheFirst) {
    startWith("FF8000");
    enter(u"#00FF00"_s);
    expectColour({0, 255, 0});
    EXPECT_EQ(text(Role::HexField), u"#00FF00"_s);

    enter(u"X0000FF"_s);
    expectColour({0, 0, 255});
    EXPECT_EQ(text(Role::HexField), u"#0000FF"_s);

    // Through the keypad's Enter too.
    typeOver(Role::HexField, u"#102030"_s);
    QTest::keyClick(field(Role::HexField), Qt::Key_Enter, Qt::KeypadModifier);
    expectColour({16, 32, 48});
}

TEST_F(HexField, LowerCaseDigitsAreDigits) {
    startWith("0a141e");
    expectColour({10, 20, 30});
    enter(u"#ff8000"_s);
    expectColour({255, 128, 0});
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);
}

TEST_F(HexField, WrongLengthChangesNothing) {
    startWith("0A141E");
    enter(u"#FF80"_s);
    expectColour({10, 20, 30});
    EXPECT_EQ(text(Role::HexField), u"#FF80"_s);
}

TEST_F(HexField, SameColourAgainKeepsTheTypedText) {
    startWith("FF8000");
    QSignalSpy red(field(Role::RedField), &QLineEdit::textChanged);
    enter(u"?FF8000"_s);
    expectColour({255, 128, 0});
    EXPECT_EQ(red.count(), 0);
    EXPECT_EQ(text(Role::HexField), u"?FF8000"_s);
    QTest::keyClick(field(Role::HexField), Qt::Key_F1);
    EXPECT_EQ(copied(), (Texts{u"color = ?FF8000"_s}));
}

TEST_F(HexField, TypingStopsAtSevenCharactersAndKeepsTheCase) {
    startWith("FF8000");
    QTest::keyClick(field(Role::HexField), Qt::Key_End);
    QTest::keyClicks(field(Role::HexField), u"1"_s);
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);
    typeOver(Role::HexField, u"#12345678"_s);
    EXPECT_EQ(text(Role::HexField), u"#123456"_s);
    typeOver(Role::HexField, u"#abcdef"_s);
    EXPECT_EQ(text(Role::HexField), u"#abcdef"_s);
}

TEST_F(HexField, RightButtonCopiesTheWholeText) {
    startWith("FF8000");
    QTest::mouseClick(field(Role::HexField), Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(copied(), (Texts{u"#FF8000"_s}));
    EXPECT_FALSE(field(Role::HexField)->isEnabled());
    // Disabled, it takes no function keys.
    QTest::keyClick(field(Role::HexField), Qt::Key_F1);
    EXPECT_EQ(copied().size(), 1u);
    pointerMovesOverBackground();
    EXPECT_TRUE(field(Role::HexField)->isEnabled());
}

TEST_F(HexField, PointerThenFunctionKeyWithoutAClick) {
    startWith("FF8000");
    pointerMovesOver(field(Role::RedField));
    pointerMovesOver(field(Role::HexField));
    ASSERT_TRUE(field(Role::HexField)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    EXPECT_EQ(copied(), (Texts{u"vlink = #FF8000"_s}));
}

}  // namespace
}  // namespace huepick::testing
