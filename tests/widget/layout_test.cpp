#include <QSet>
#include <iostream>

#include "form_fixture.h"

namespace huepick::testing {
namespace {

struct Place {
    const char* name;
    QRect rect;  // relative to the control's parent
};

// Every control that shows on the window.
const Place kVisible[] = {
    {"Text1", {31, 23, 77, 64}},       {"Text2", {42, 99, 77, 76}},
    {"Text3", {30, 185, 72, 81}},      {"colorme", {276, 36, 83, 68}},
    {"Picture10", {152, 77, 50, 47}},  {"txt_R", {14, 16, 24, 17}},
    {"Picture11", {162, 135, 54, 54}}, {"txt_G", {17, 18, 24, 17}},
    {"Picture12", {157, 194, 56, 52}}, {"txt_B", {17, 20, 24, 17}},
    {"Picture13", {274, 99, 82, 43}},  {"show_hex", {10, 14, 56, 19}},
    {"Picture1", {119, 63, 34, 29}},   {"Picture2", {110, 85, 34, 32}},
    {"Picture4", {128, 123, 36, 26}},  {"Picture5", {125, 151, 34, 24}},
    {"Picture6", {107, 188, 32, 36}},  {"Picture7", {120, 209, 38, 38}},
    {"dropper", {282, 174, 42, 36}},   {"Picture8", {244, 207, 44, 36}},
    {"Picture9", {310, 143, 36, 31}},  {"Picture14", {228, 36, 38, 32}},
    {"Picture15", {210, 224, 33, 33}}, {"Picture16", {240, 67, 37, 29}},
};

class Layout : public MainFormTest {};

TEST_F(Layout, EveryControlSitsAtItsPlace) {
    start();
    EXPECT_EQ(form().size(), QSize(400, 300));
    EXPECT_TRUE(form().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form().windowTitle(), u"Vantrel!'s Huepick"_s);
    for (const Place& p : kVisible) {
        SCOPED_TRACE(p.name);
        auto* w = form().findChild<QWidget*>(QLatin1String(p.name));
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->pos(), p.rect.topLeft());
        // Picture controls take their picture's size; the pictures are drawn
        // at the sizes of the layout.
        const auto* box = qobject_cast<PictureBox*>(w);
        const QSize picture = box && !box->picture().isNull()
                                  ? box->picture().deviceIndependentSize().toSize()
                                  : p.rect.size();
        EXPECT_EQ(w->size(), picture);
        if (picture != p.rect.size()) {
            std::cout << p.name << ": picture is " << picture.width() << "x" << picture.height()
                      << ", layout says " << p.rect.width() << "x" << p.rect.height() << "\n";
        }
    }
    EXPECT_EQ(form().txt_R->parentWidget(), form().Picture10);
    EXPECT_EQ(form().txt_G->parentWidget(), form().Picture11);
    EXPECT_EQ(form().txt_B->parentWidget(), form().Picture12);
    EXPECT_EQ(form().show_hex->parentWidget(), form().Picture13);
}

TEST_F(Layout, NothingElseShowsAndEverythingLiesInsideTheWindow) {
    start();
    QSet<QString> known;
    for (const Place& p : kVisible) {
        known.insert(QLatin1String(p.name));
    }
    for (QWidget* w : form().findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&form()) || w->isWindow()) {
            continue;
        }
        // The inner parts of a line edit belong to it.
        if (qobject_cast<QLineEdit*>(w->parentWidget())) {
            continue;
        }
        EXPECT_TRUE(known.contains(w->objectName()))
            << "unexpected visible control '" << w->objectName().toStdString() << "' ("
            << w->metaObject()->className() << ")";
        const QRect in_window(w->mapTo(&form(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(QRect(0, 0, 400, 300).contains(in_window))
            << w->objectName().toStdString() << " reaches outside the window";
    }
    for (const char* holder :
         {"r_1up", "r_1down", "g2_up", "b2_down", "drop_down", "mag_up", "x_down", "export_dwn",
          "help_down", "log_up", "red_pic", "hex_pic", "Picture3", "Label1", "copied", "Text4"}) {
        const QWidget* w = form().findChild<QWidget*>(QLatin1String(holder));
        EXPECT_TRUE(w == nullptr || !w->isVisibleTo(&form())) << holder;
    }
}

TEST_F(Layout, ButtonsCarryTheirTooltips) {
    start();
    EXPECT_EQ(form().dropper->toolTip(), u"Sample a Color from the Screen"_s);
    EXPECT_EQ(form().Picture8->toolTip(), u"Magnify and Sample a Portion of the Screen"_s);
    EXPECT_EQ(form().Picture9->toolTip(), u"Exit"_s);
    EXPECT_EQ(form().Picture14->toolTip(), u"Export Current Color Value to HTML Color Log"_s);
    EXPECT_EQ(form().Picture15->toolTip(), u"Help"_s);
    EXPECT_EQ(form().Picture16->toolTip(), u"View HTML Color Log"_s);
}

TEST_F(Layout, SwatchesTakeNoFocus) {
    start();
    form().txt_R->setFocus();
    ASSERT_TRUE(form().txt_R->hasFocus());
    for (QWidget* s :
         {static_cast<QWidget*>(form().Text1), static_cast<QWidget*>(form().Text2),
          static_cast<QWidget*>(form().Text3), static_cast<QWidget*>(form().colorme)}) {
        SCOPED_TRACE(s->objectName().toStdString());
        EXPECT_EQ(s->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(s, Qt::LeftButton, {}, s->rect().center());
        EXPECT_FALSE(s->hasFocus());
        EXPECT_TRUE(form().txt_R->hasFocus());
    }
    // Tabbing through the window never lands on a swatch.
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget* f = QApplication::focusWidget();
        EXPECT_TRUE(f != form().Text1 && f != form().Text2 && f != form().Text3 &&
                    f != form().colorme);
    }
}

TEST_F(Layout, SwatchesRefuseFocusEvenWhenAsked) {
    start();
    for (QWidget* s :
         {static_cast<QWidget*>(form().Text1), static_cast<QWidget*>(form().Text2),
          static_cast<QWidget*>(form().Text3), static_cast<QWidget*>(form().colorme)}) {
        s->setFocus();
        EXPECT_FALSE(s->hasFocus()) << s->objectName().toStdString();
        // A press on a swatch is no handle for dragging the window.
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(s->width() / 2, s->height() / 2));
        EXPECT_FALSE(form().is_dragging()) << s->objectName().toStdString();
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(s->width() / 2, s->height() / 2));
    }
}

}  // namespace
}  // namespace huepick::testing
