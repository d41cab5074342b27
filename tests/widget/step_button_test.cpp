// SPDX-License-Identifier: MIT
// The six step buttons: one step per click, repeating while held, stopping
// at the ends of the range; their pressed and released images.
#include <QElapsedTimer>
#include <iostream>

#include "app_fixture.h"

namespace huepick::testing {
namespace {

struct StepCase {
    Role button;
    Role field;
    Role swatch;
    int step;
};

constexpr StepCase kSteps[] = {
    {Role::RedUp, Role::RedField, Role::RedSwatch, +1},
    {Role::RedDown, Role::RedField, Role::RedSwatch, -1},
    {Role::GreenUp, Role::GreenField, Role::GreenSwatch, +1},
    {Role::GreenDown, Role::GreenField, Role::GreenSwatch, -1},
    {Role::BlueUp, Role::BlueField, Role::BlueSwatch, +1},
    {Role::BlueDown, Role::BlueField, Role::BlueSwatch, -1},
};

class StepButton : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        store("FF8000");
        start();
    }
    qsizetype stacking(Role role) {
        QWidget* w = control(role);
        return w->parentWidget()->children().indexOf(w);
    }
    // Whether the button shows the named picture of the skin.
    bool shows(Role role, std::string_view art) {
        const QImage expected(u":/skin/%1.png"_s.arg(QLatin1String(art.data(), art.size())));
        return control<Picture>(role)->picture().toImage().convertToFormat(QImage::Format_ARGB32) ==
               expected.convertToFormat(QImage::Format_ARGB32);
    }
};

TEST_F(StepButton, ClickMovesTheChannelByOneEverywhere) {
    for (const StepCase& s : kSteps) {
        SCOPED_TRACE(nameOf(s.button).toStdString());
        typeOver(s.field, u"100"_s);
        click(s.button);
        const int v = 100 + s.step;
        EXPECT_EQ(text(s.field), QString::number(v));
        const QColor swatch = shown(s.swatch);
        EXPECT_EQ(std::max({swatch.red(), swatch.green(), swatch.blue()}), v);
        const auto [r, g, b] = fields();
        EXPECT_EQ(shown(Role::ColourSwatch), QColor(r, g, b));
        EXPECT_EQ(text(Role::HexField), u"#%1%2%3"_s.arg(r, 2, 16, QChar(u'0'))
                                            .arg(g, 2, 16, QChar(u'0'))
                                            .arg(b, 2, 16, QChar(u'0'))
                                            .toUpper());
        // The stepped value is what a garbled field brings back.
        typeOver(s.field, u"x"_s);
        EXPECT_EQ(text(s.field), QString::number(v));
    }
}

TEST_F(StepButton, HoldingStopsAtTheEndOfTheRange) {
    typeOver(Role::RedField, u"250"_s);
    QSignalSpy changes(field(Role::RedField), &QLineEdit::textChanged);
    press(Role::RedUp);
    EXPECT_TRUE(QTest::qWaitFor([&] { return text(Role::RedField) == u"255"_s; }, 5000));
    EXPECT_EQ(changes.count(), 5);
    EXPECT_FALSE(changes.wait(600)) << "no step past the end while still held";
    release(Role::RedUp);
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);

    // At 0, a held down button changes nothing visible.
    typeOver(Role::BlueField, u"0"_s);
    QSignalSpy blue(field(Role::BlueField), &QLineEdit::textChanged);
    press(Role::BlueDown);
    EXPECT_FALSE(blue.wait(600));
    release(Role::BlueDown);
    EXPECT_EQ(text(Role::BlueField), u"0"_s);
    EXPECT_EQ(text(Role::HexField), u"#FF8000"_s);
}

TEST_F(StepButton, HeldButtonRepeatsAfterADelay) {
    typeOver(Role::GreenField, u"0"_s);
    const auto green = [this] { return text(Role::GreenField).toInt(); };
    QElapsedTimer clock;
    clock.start();
    press(Role::GreenUp);
    EXPECT_EQ(green(), 1);  // the first step comes at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return green() >= 2; }, 5000));
    const qint64 firstRepeat = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return green() >= 12; }, 5000));
    const qint64 tenSteps = clock.elapsed() - firstRepeat;
    release(Role::GreenUp);
    const int reached = green();
    QSignalSpy later(field(Role::GreenField), &QLineEdit::textChanged);
    std::cout << "first repeat after " << firstRepeat << " ms, ten more steps in " << tenSteps
              << " ms\n";
    EXPECT_GE(firstRepeat, 250);
    EXPECT_LE(firstRepeat, 1500);
    EXPECT_GE(tenSteps, 150);
    EXPECT_LE(tenSteps, 1500);
    // The release ends the repeat: several repeat intervals pass without a step.
    EXPECT_FALSE(later.wait(150));
    EXPECT_EQ(green(), reached);
}

TEST_F(StepButton, OtherMouseButtonsShowThePressedImageWithoutStepping) {
    for (const Qt::MouseButton mouse : {Qt::RightButton, Qt::MiddleButton}) {
        press(Role::RedUp, mouse);
        EXPECT_TRUE(shows(Role::RedUp, "red_up_pressed"));
        release(Role::RedUp, mouse);
        EXPECT_TRUE(shows(Role::RedUp, "red_up"));
        click(Role::GreenDown, mouse);
    }
    EXPECT_EQ(fields(), (Triple{255, 128, 0}));
    // No step was taken, so a garbled field still brings back 0.
    typeOver(Role::GreenField, u"x"_s);
    EXPECT_EQ(text(Role::GreenField), u"0"_s);
}

TEST_F(StepButton, PressedAndReleasedImages) {
    for (const StepCase& s : kSteps) {
        const layout::Control& c = layout::control(s.button);
        SCOPED_TRACE(nameOf(s.button).toStdString());
        EXPECT_TRUE(shows(s.button, c.art));
        press(s.button, Qt::RightButton);
        EXPECT_TRUE(shows(s.button, c.pressedArt));
        release(s.button, Qt::RightButton);
        EXPECT_TRUE(shows(s.button, c.art));
    }
    // The green down button shows the whole 34 x 24 image.
    EXPECT_EQ(control(Role::GreenDown)->size(), QSize(34, 24));
}

TEST_F(StepButton, PressedRedOrBlueButtonComesToTheFront) {
    EXPECT_LT(stacking(Role::RedUp), stacking(Role::RedDown));
    click(Role::RedUp);
    EXPECT_GT(stacking(Role::RedUp), stacking(Role::RedDown));
    click(Role::RedDown, Qt::RightButton);
    EXPECT_LT(stacking(Role::RedUp), stacking(Role::RedDown));

    click(Role::BlueUp);
    EXPECT_GT(stacking(Role::BlueUp), stacking(Role::BlueDown));
    click(Role::BlueDown);
    EXPECT_LT(stacking(Role::BlueUp), stacking(Role::BlueDown));

    // The green pair does not overlap and keeps its order.
    const qsizetype up = stacking(Role::GreenUp);
    const qsizetype down = stacking(Role::GreenDown);
    click(Role::GreenDown);
    click(Role::GreenUp);
    EXPECT_EQ(stacking(Role::GreenUp), up);
    EXPECT_EQ(stacking(Role::GreenDown), down);
}

}  // namespace
}  // namespace huepick::testing
