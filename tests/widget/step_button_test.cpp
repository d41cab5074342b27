#include <QElapsedTimer>
#include <iostream>

#include "form_fixture.h"

namespace huepick::testing {
namespace {

class StepButton : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        store("FF8000");
        start();
    }
    static void press(PictureBox* button, Qt::MouseButton mouse = Qt::LeftButton) {
        QTest::mousePress(button, mouse, {}, QPoint(5, 5));
    }
    static void release(PictureBox* button, Qt::MouseButton mouse = Qt::LeftButton) {
        QTest::mouseRelease(button, mouse, {}, QPoint(5, 5));
    }
    static qsizetype stacking(const QWidget* w) {
        return w->parentWidget()->children().indexOf(const_cast<QWidget*>(w));
    }
    bool shows(const PictureBox* button, const char* image) const {
        return button->picture().cacheKey() ==
               form_->skin().picture(QLatin1String(image)).cacheKey();
    }
    bool have_art() const { return !form_->skin().picture(u"r_1down"_s).isNull(); }
};

TEST_F(StepButton, ClickMovesTheChannelByOne) {
    const struct {
        PictureBox* main_form::*button;
        Channel channel;
        int step;
    } buttons[] = {
        {&main_form::Picture1, Channel::Red, +1},   {&main_form::Picture2, Channel::Red, -1},
        {&main_form::Picture4, Channel::Green, +1}, {&main_form::Picture5, Channel::Green, -1},
        {&main_form::Picture6, Channel::Blue, +1},  {&main_form::Picture7, Channel::Blue, -1},
    };
    for (const auto& b : buttons) {
        PictureBox* button = form().*b.button;
        SCOPED_TRACE(button->objectName().toStdString());
        form().field(b.channel)->setText(u"100"_s);
        ASSERT_EQ(state_.cur(b.channel), 100);
        press(button);
        release(button);
        const int v = 100 + b.step;
        EXPECT_EQ(state_.cur(b.channel), v);
        EXPECT_EQ(state_.restore(b.channel), v);
        EXPECT_EQ(form().field(b.channel)->text(), QString::number(v));
        const QColor pure = b.channel == Channel::Red     ? QColor(v, 0, 0)
                            : b.channel == Channel::Green ? QColor(0, v, 0)
                                                          : QColor(0, 0, v);
        EXPECT_EQ(form().swatch(b.channel)->colour(), pure);
        EXPECT_EQ(form().colorme->colour(), QColor(state_.cur_R, state_.cur_G, state_.cur_B));
        EXPECT_EQ(form().show_hex->text(), u"#%1%2%3"_s.arg(state_.cur_R, 2, 16, QChar(u'0'))
                                               .arg(state_.cur_G, 2, 16, QChar(u'0'))
                                               .arg(state_.cur_B, 2, 16, QChar(u'0'))
                                               .toUpper());
    }
}

TEST_F(StepButton, HoldingStopsAtTheEndOfTheRange) {
    form().txt_R->setText(u"250"_s);
    QSignalSpy changes(form().txt_R, &QLineEdit::textChanged);
    press(form().Picture1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form().txt_R->text() == u"255"_s; }, 5000));
    EXPECT_EQ(state_.cur_R, 255);
    EXPECT_EQ(state_.restore_R, 255);
    EXPECT_EQ(changes.count(), 5);
    release(form().Picture1);
    EXPECT_EQ(state_.cur_R, 255);
    EXPECT_EQ(form().show_hex->text(), u"#FF8000"_s);

    // At 0, a held down button changes nothing visible.
    form().txt_B->setText(u"0"_s);
    QSignalSpy blue(form().txt_B, &QLineEdit::textChanged);
    press(form().Picture7);
    EXPECT_EQ(state_.cur_B, 0);
    EXPECT_EQ(state_.restore_B, 0);
    release(form().Picture7);
    EXPECT_EQ(blue.count(), 0);
    EXPECT_EQ(form().show_hex->text(), u"#FF8000"_s);
}

TEST_F(StepButton, HeldButtonRepeatsAfterADelay) {
    form().txt_G->setText(u"0"_s);
    QElapsedTimer clock;
    clock.start();
    press(form().Picture4);
    EXPECT_EQ(state_.cur_G, 1);  // the first step comes at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return state_.cur_G >= 2; }, 5000));
    const qint64 first_repeat = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state_.cur_G >= 12; }, 5000));
    const qint64 ten_steps = clock.elapsed() - first_repeat;
    release(form().Picture4);
    const int reached = state_.cur_G;
    QSignalSpy later(form().txt_G, &QLineEdit::textChanged);
    std::cout << "first repeat after " << first_repeat << " ms, ten more steps in " << ten_steps
              << " ms\n";
    EXPECT_GE(first_repeat, 250);
    EXPECT_LE(first_repeat, 1500);
    EXPECT_GE(ten_steps, 150);
    EXPECT_LE(ten_steps, 1500);
    // The release ends the repeat: several repeat intervals pass without a step.
    EXPECT_FALSE(later.wait(150));
    EXPECT_EQ(state_.cur_G, reached);
    EXPECT_EQ(form().txt_G->text(), QString::number(reached));
}

TEST_F(StepButton, OtherMouseButtonsShowThePressedImageWithoutStepping) {
    for (const Qt::MouseButton mouse : {Qt::RightButton, Qt::MiddleButton}) {
        press(form().Picture1, mouse);
        EXPECT_EQ(state_.cur_R, 255);
        EXPECT_EQ(form().txt_R->text(), u"255"_s);
        if (have_art()) {
            EXPECT_TRUE(shows(form().Picture1, "r_1down"));
        }
        release(form().Picture1, mouse);
        if (have_art()) {
            EXPECT_TRUE(shows(form().Picture1, "r_1up"));
        }
        press(form().Picture5, mouse);
        EXPECT_EQ(state_.cur_G, 128);
        EXPECT_EQ(state_.restore_G, 0);
        release(form().Picture5, mouse);
    }
    if (!have_art()) {
        GTEST_SKIP() << "the skin pictures are not built in; images not compared";
    }
}

TEST_F(StepButton, PressedAndReleasedImages) {
    if (!have_art()) {
        GTEST_SKIP() << "the skin pictures are not built in";
    }
    const struct {
        PictureBox* main_form::*button;
        const char* pressed;
        const char* released;
    } buttons[] = {
        {&main_form::Picture1, "r_1down", "r_1up"}, {&main_form::Picture2, "r_2down", "r_2up"},
        {&main_form::Picture4, "g_down", "g_up"},   {&main_form::Picture5, "g2_down", "g2_up"},
        {&main_form::Picture6, "b_down", "b_up"},   {&main_form::Picture7, "b2_down", "b2_up"},
    };
    for (const auto& b : buttons) {
        PictureBox* button = form().*b.button;
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_TRUE(shows(button, b.released));
        press(button);
        EXPECT_TRUE(shows(button, b.pressed));
        release(button);
        EXPECT_TRUE(shows(button, b.released));
    }
    // Picture5 shows the whole 34 x 24 image of its holder.
    EXPECT_EQ(form().Picture5->size(), QSize(34, 24));
}

TEST_F(StepButton, PressedRedOrBlueButtonComesToTheFront) {
    EXPECT_LT(stacking(form().Picture1), stacking(form().Picture2));
    press(form().Picture1);
    release(form().Picture1);
    EXPECT_GT(stacking(form().Picture1), stacking(form().Picture2));
    press(form().Picture2, Qt::RightButton);
    release(form().Picture2, Qt::RightButton);
    EXPECT_LT(stacking(form().Picture1), stacking(form().Picture2));

    press(form().Picture6);
    release(form().Picture6);
    EXPECT_GT(stacking(form().Picture6), stacking(form().Picture7));
    press(form().Picture7);
    release(form().Picture7);
    EXPECT_LT(stacking(form().Picture6), stacking(form().Picture7));

    // The green pair does not overlap and keeps its order.
    const qsizetype up = stacking(form().Picture4);
    const qsizetype down = stacking(form().Picture5);
    press(form().Picture5);
    release(form().Picture5);
    press(form().Picture4);
    release(form().Picture4);
    EXPECT_EQ(stacking(form().Picture4), up);
    EXPECT_EQ(stacking(form().Picture5), down);
}

}  // namespace
}  // namespace huepick::testing
