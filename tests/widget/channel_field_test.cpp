#include <QClipboard>
#include <QGuiApplication>

#include "form_fixture.h"

namespace huepick::testing {
namespace {

class ChannelField : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        store("FF8000");
        start();
    }

    // One click on a step button: the channel moves by one.
    void click(PictureBox* button) {
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    }
};

TEST_F(ChannelField, ValueAboveRangeIsClampedTo255) {
    form().txt_R->setText(u"10"_s);
    type_over(form().txt_R, u"300"_s);
    EXPECT_EQ(form().txt_R->text(), u"255"_s);
    EXPECT_EQ(state_.cur_R, 255);
    EXPECT_EQ(form().Text1->colour(), QColor(255, 0, 0));
    EXPECT_EQ(form().colorme->colour(), QColor(255, 128, 0));
    EXPECT_EQ(form().show_hex->text(), u"#FF8000"_s);
}

TEST_F(ChannelField, MinusBeforeANumberGivesZero) {
    type_over(form().txt_G, u"12"_s);
    ASSERT_EQ(state_.cur_G, 12);
    QTest::keyClick(form().txt_G, Qt::Key_Home);
    QTest::keyClicks(form().txt_G, u"-"_s);
    EXPECT_EQ(form().txt_G->text(), u"0"_s);
    EXPECT_EQ(state_.cur_G, 0);
    EXPECT_EQ(form().Text2->colour(), QColor(0, 0, 0));
    EXPECT_EQ(form().colorme->colour(), QColor(255, 0, 0));
    EXPECT_EQ(form().show_hex->text(), u"#FF0000"_s);
}

TEST_F(ChannelField, ClearedFieldShowsTheRestoreValue) {
    QTest::keyClick(form().txt_B, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form().txt_B, Qt::Key_Backspace);
    EXPECT_EQ(form().txt_B->text(), u"0"_s);
    EXPECT_EQ(state_.cur_B, 0);

    form().txt_B->setText(u"199"_s);
    click(form().Picture6);
    ASSERT_EQ(state_.cur_B, 200);
    ASSERT_EQ(state_.restore_B, 200);
    form().txt_B->setText(u"17"_s);
    QTest::keyClick(form().txt_B, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form().txt_B, Qt::Key_Delete);
    EXPECT_EQ(form().txt_B->text(), u"200"_s);
    EXPECT_EQ(state_.cur_B, 200);
    EXPECT_EQ(form().Text3->colour(), QColor(0, 0, 200));
    EXPECT_EQ(form().colorme->colour(), QColor(255, 128, 200));
    EXPECT_EQ(form().show_hex->text(), u"#FF80C8"_s);
}

TEST_F(ChannelField, LetterBringsBackTheRestoreValue) {
    form().txt_R->setText(u"199"_s);
    click(form().Picture1);
    ASSERT_EQ(state_.restore_R, 200);
    type_over(form().txt_R, u"12a"_s);
    EXPECT_EQ(form().txt_R->text(), u"200"_s);
    EXPECT_EQ(state_.cur_R, 200);
    EXPECT_EQ(form().Text1->colour(), QColor(200, 0, 0));
    EXPECT_EQ(form().colorme->colour(), QColor(200, 128, 0));
    EXPECT_EQ(form().show_hex->text(), u"#C88000"_s);
}

TEST_F(ChannelField, NumbersKeepTheirTypedText) {
    type_over(form().txt_R, u"05"_s);
    EXPECT_EQ(form().txt_R->text(), u"05"_s);
    EXPECT_EQ(state_.cur_R, 5);
    EXPECT_EQ(form().show_hex->text(), u"#058000"_s);

    type_over(form().txt_G, u"1.5"_s);
    EXPECT_EQ(form().txt_G->text(), u"1.5"_s);
    EXPECT_EQ(state_.cur_G, 2);
    type_over(form().txt_G, u"2.5"_s);
    EXPECT_EQ(state_.cur_G, 2);
    EXPECT_EQ(form().Text2->colour(), QColor(0, 2, 0));
    EXPECT_EQ(form().show_hex->text(), u"#050200"_s);
}

TEST_F(ChannelField, TypingStopsAtThreeCharactersButSetTextDoesNot) {
    QTest::keyClick(form().txt_R, Qt::Key_End);
    QTest::keyClicks(form().txt_R, u"9"_s);
    EXPECT_EQ(form().txt_R->text(), u"255"_s);
    type_over(form().txt_G, u"1234"_s);
    EXPECT_EQ(form().txt_G->text(), u"123"_s);
    EXPECT_EQ(state_.cur_G, 123);

    form().txt_B->setText(u"00012"_s);
    EXPECT_EQ(form().txt_B->text(), u"00012"_s);
    EXPECT_EQ(state_.cur_B, 12);
}

TEST_F(ChannelField, PasteIsCutToTheRoomLeft) {
    QGuiApplication::clipboard()->setText(u"12345"_s);
    QTest::keyClick(form().txt_R, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form().txt_R, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form().txt_R->text(), u"123"_s);
    EXPECT_EQ(state_.cur_R, 123);

    // With "1" left in the field, two characters fit.
    form().txt_R->setText(u"1"_s);
    QTest::keyClick(form().txt_R, Qt::Key_End);
    QTest::keyClick(form().txt_R, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form().txt_R->text(), u"112"_s);
}

TEST_F(ChannelField, RightButtonCopiesAndDisablesUntilThePointerMovesOverTheWindow) {
    QTest::mousePress(form().txt_G, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(clipboard_.calls, (Calls{"clear", "set 128"}));
    EXPECT_FALSE(form().txt_G->isEnabled());
    QTest::mouseRelease(form().txt_G, Qt::RightButton, {}, QPoint(3, 3));

    form().txt_R->setText(u"05"_s);
    QTest::mousePress(form().txt_R, Qt::RightButton, {}, QPoint(3, 3));
    QTest::mouseRelease(form().txt_R, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(clipboard_.calls, (Calls{"clear", "set 128", "clear", "set 05"}));
    EXPECT_FALSE(form().txt_R->isEnabled());
    // A disabled field takes no typing.
    QTest::keyClicks(form().txt_G, u"7"_s);
    EXPECT_EQ(form().txt_G->text(), u"128"_s);

    // Left and middle presses copy nothing.
    QTest::mousePress(form().txt_B, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(form().txt_B, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mousePress(form().txt_B, Qt::MiddleButton, {}, QPoint(3, 3));
    QTest::mouseRelease(form().txt_B, Qt::MiddleButton, {}, QPoint(3, 3));
    EXPECT_EQ(clipboard_.calls.size(), 4u);
    EXPECT_TRUE(form().txt_B->isEnabled());

    // Moving over another control does not re-enable; the background does.
    pointer_moves_over(form().Picture1);
    EXPECT_FALSE(form().txt_G->isEnabled());
    pointer_moves_over(&form(), QPoint(200, 20));
    for (QLineEdit* f : {form().txt_R, form().txt_G, form().txt_B, form().show_hex}) {
        EXPECT_TRUE(f->isEnabled()) << f->objectName().toStdString();
    }
}

TEST_F(ChannelField, PointerOverAFieldGivesItTheFocus) {
    for (QLineEdit* f : {form().txt_G, form().txt_B, form().show_hex, form().txt_R}) {
        pointer_moves_over(f);
        EXPECT_TRUE(f->hasFocus()) << f->objectName().toStdString();
    }
}

TEST_F(ChannelField, FunctionKeysDoNothingInAChannelField) {
    QTest::keyClick(form().txt_R, Qt::Key_F1);
    QTest::keyClick(form().txt_G, Qt::Key_F9);
    EXPECT_TRUE(clipboard_.calls.empty());
}

}  // namespace
}  // namespace huepick::testing
