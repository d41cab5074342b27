#include "form_fixture.h"

namespace huepick::testing {
namespace {

class HexField : public MainFormTest {
protected:
    void start_with(const QByteArray& stored) {
        store(stored);
        start();
    }
    void enter(const QString& typed) {
        type_over(form().show_hex, typed);
        ASSERT_EQ(form().show_hex->text(), typed);
        QTest::keyClick(form().show_hex, Qt::Key_Return);
    }
    void expect_colour(Triple rgb) {
        const auto [r, g, b] = rgb;
        EXPECT_EQ(channels(), rgb);
        EXPECT_EQ(fields(), rgb);
        EXPECT_EQ(form().Text1->colour(), QColor(r, 0, 0));
        EXPECT_EQ(form().Text2->colour(), QColor(0, g, 0));
        EXPECT_EQ(form().Text3->colour(), QColor(0, 0, b));
        EXPECT_EQ(form().colorme->colour(), QColor(r, g, b));
    }
};

TEST_F(HexField, FunctionKeysCopyTheTenNotations) {
    start_with("FF8000");
    const char* const expected[] = {
        "color = #FF8000",
        "color:#FF8000;",
        "text = #FF8000",
        "link = #FF8000",
        "vlink = #FF8000",
        "alink = #FF8000",
        "bordercolor = #FF8000",
        "bgcolor = #FF8000",
        ".forecolor = RGB(255,128,0)",
        ".backcolor = RGB(255,128,0)",
    };
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier,
                                               Qt::ControlModifier, Qt::AltModifier};
    for (const Qt::KeyboardModifiers mod : modifiers) {
        for (int i = 0; i < 10; ++i) {
            clipboard_.calls.clear();
            QTest::keyClick(form().show_hex, static_cast<Qt::Key>(Qt::Key_F1 + i), mod);
            EXPECT_EQ(clipboard_.calls, (Calls{"clear", std::string("set ") + expected[i]}))
                << "F" << i + 1 << " modifiers " << mod.toInt();
        }
    }
    EXPECT_EQ(form().show_hex->text(), u"#FF8000"_s);
    clipboard_.calls.clear();
    QTest::keyClick(form().show_hex, Qt::Key_F11);
    QTest::keyClick(form().show_hex, Qt::Key_F12);
    QTest::keyClick(form().show_hex, Qt::Key_Escape);
    EXPECT_TRUE(clipboard_.calls.empty());
}

TEST_F(HexField, NotationsCopyTheFieldTextsAsTheyAre) {
    start_with("FF8000");
    type_over(form().txt_R, u"05"_s);
    type_over(form().show_hex, u"#12"_s);
    QTest::keyClick(form().show_hex, Qt::Key_F1);
    QTest::keyClick(form().show_hex, Qt::Key_F9);
    EXPECT_EQ(clipboard_.calls,
              (Calls{"clear", "set color = #12", "clear", "set .forecolor = RGB(05,128,0)"}));
}

TEST_F(HexField, EnterAppliesSevenCharacters) {
    start_with("FF8000");
    enter(u"#00FF00"_s);
    expect_colour({0, 255, 0});
    EXPECT_EQ(form().show_hex->text(), u"#00FF00"_s);

    enter(u"X0000FF"_s);
    expect_colour({0, 0, 255});
    EXPECT_EQ(form().show_hex->text(), u"#0000FF"_s);

    // Through the keypad's Enter too.
    type_over(form().show_hex, u"#102030"_s);
    QTest::keyClick(form().show_hex, Qt::Key_Enter, Qt::KeypadModifier);
    expect_colour({16, 32, 48});
}

TEST_F(HexField, FirstCharacterIsNotExamined) {
    start_with("000000");
    enter(u"X00FF00"_s);
    expect_colour({0, 255, 0});
    EXPECT_EQ(form().show_hex->text(), u"#00FF00"_s);
}

TEST_F(HexField, LowerCaseDigitsCountAsZero) {
    start_with("0A141E");
    expect_colour({10, 20, 30});
    enter(u"#ff8000"_s);
    expect_colour({0, 128, 0});
    EXPECT_EQ(form().show_hex->text(), u"#008000"_s);
}

TEST_F(HexField, WrongLengthChangesNothing) {
    start_with("0A141E");
    enter(u"#FF80"_s);
    expect_colour({10, 20, 30});
    EXPECT_EQ(form().show_hex->text(), u"#FF80"_s);
    form().show_hex->setText(u"#FF800000"_s);
    QTest::keyClick(form().show_hex, Qt::Key_Return);
    expect_colour({10, 20, 30});
    EXPECT_EQ(form().show_hex->text(), u"#FF800000"_s);
}

TEST_F(HexField, SameColourAgainKeepsTheTypedText) {
    start_with("FF8000");
    QSignalSpy red(form().txt_R, &QLineEdit::textChanged);
    enter(u"?FF8000"_s);
    expect_colour({255, 128, 0});
    EXPECT_EQ(red.count(), 0);
    EXPECT_EQ(form().show_hex->text(), u"?FF8000"_s);
    QTest::keyClick(form().show_hex, Qt::Key_F1);
    EXPECT_EQ(clipboard_.calls, (Calls{"clear", "set color = ?FF8000"}));
}

TEST_F(HexField, TypingStopsAtSevenCharacters) {
    start_with("FF8000");
    QTest::keyClick(form().show_hex, Qt::Key_End);
    QTest::keyClicks(form().show_hex, u"1"_s);
    EXPECT_EQ(form().show_hex->text(), u"#FF8000"_s);
    type_over(form().show_hex, u"#12345678"_s);
    EXPECT_EQ(form().show_hex->text(), u"#123456"_s);
    // Typed text is taken as it is: no upper-casing.
    type_over(form().show_hex, u"#abcdef"_s);
    EXPECT_EQ(form().show_hex->text(), u"#abcdef"_s);
}

TEST_F(HexField, RightButtonCopiesTheWholeText) {
    start_with("FF8000");
    QTest::mousePress(form().show_hex, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(form().show_hex, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(clipboard_.calls, (Calls{"clear", "set #FF8000"}));
    EXPECT_FALSE(form().show_hex->isEnabled());
    // Disabled, it takes no function keys.
    QTest::keyClick(form().show_hex, Qt::Key_F1);
    EXPECT_EQ(clipboard_.calls.size(), 2u);
    pointer_moves_over(&form(), QPoint(200, 20));
    EXPECT_TRUE(form().show_hex->isEnabled());
}

TEST_F(HexField, PointerThenFunctionKeyWithoutAClick) {
    start_with("FF8000");
    pointer_moves_over(form().txt_R);
    pointer_moves_over(form().show_hex);
    ASSERT_TRUE(form().show_hex->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    EXPECT_EQ(clipboard_.calls, (Calls{"clear", "set vlink = #FF8000"}));
}

}  // namespace
}  // namespace huepick::testing
