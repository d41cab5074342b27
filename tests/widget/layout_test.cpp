// SPDX-License-Identifier: MIT
// The window's controls sit where the layout table puts them, and nothing
// else shows.
#include <QSet>
#include <iostream>

#include "app_fixture.h"

namespace huepick::testing {
namespace {

class Layout : public AppTest {};

TEST_F(Layout, EveryControlSitsAtItsPlace) {
    start();
    EXPECT_EQ(window().size(), QSize(400, 300));
    EXPECT_TRUE(window().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window().windowTitle(), u"Vantrel!'s Huepick"_s);
    for (const layout::Control& c : layout::kControls) {
        SCOPED_TRACE(nameOf(c.role).toStdString());
        QWidget* w = control(c.role);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->pos(), c.rect.topLeft());
        EXPECT_EQ(w->parentWidget(), c.parent ? control(*c.parent) : &window());
        // Pictures take their picture's size, which the artwork draws at the
        // size of the layout.
        const auto* picture = qobject_cast<Picture*>(w);
        const QSize size = picture && !picture->picture().isNull()
                               ? picture->picture().deviceIndependentSize().toSize()
                               : c.rect.size();
        EXPECT_EQ(w->size(), size);
        if (size != c.rect.size()) {
            std::cout << nameOf(c.role).toStdString() << ": picture is " << size.width() << "x"
                      << size.height() << ", layout says " << c.rect.width() << "x"
                      << c.rect.height() << "\n";
        }
    }
}

TEST_F(Layout, NothingElseShowsAndEverythingLiesInsideTheWindow) {
    start();
    QSet<QString> known;
    for (const layout::Control& c : layout::kControls) {
        known.insert(nameOf(c.role));
    }
    for (QWidget* w : window().findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window()) || w->isWindow()) {
            continue;
        }
        // The inner parts of a line edit belong to it.
        if (qobject_cast<QLineEdit*>(w->parentWidget())) {
            continue;
        }
        EXPECT_TRUE(known.contains(w->objectName()))
            << "unexpected visible control '" << w->objectName().toStdString() << "' ("
            << w->metaObject()->className() << ")";
        const QRect inWindow(w->mapTo(&window(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(QRect(0, 0, 400, 300).contains(inWindow))
            << w->objectName().toStdString() << " reaches outside the window";
    }
}

TEST_F(Layout, ButtonsCarryTheirTooltips) {
    start();
    EXPECT_EQ(control(Role::SampleButton)->toolTip(), u"Sample a Color from the Screen"_s);
    EXPECT_EQ(control(Role::MagnifyButton)->toolTip(),
              u"Magnify and Sample a Portion of the Screen"_s);
    EXPECT_EQ(control(Role::CloseButton)->toolTip(), u"Exit"_s);
    EXPECT_EQ(control(Role::ExportButton)->toolTip(),
              u"Export Current Color Value to HTML Color Log"_s);
    EXPECT_EQ(control(Role::HelpButton)->toolTip(), u"Help"_s);
    EXPECT_EQ(control(Role::LogButton)->toolTip(), u"View HTML Color Log"_s);
}

TEST_F(Layout, SwatchesTakeNoFocusAndStartNoDrag) {
    start();
    QLineEdit* red = field(Role::RedField);
    red->setFocus();
    ASSERT_TRUE(red->hasFocus());
    const QPoint before = window().pos();
    for (Role role : {Role::RedSwatch, Role::GreenSwatch, Role::BlueSwatch, Role::ColourSwatch}) {
        QWidget* s = control(role);
        SCOPED_TRACE(s->objectName().toStdString());
        EXPECT_EQ(s->focusPolicy(), Qt::NoFocus);
        s->setFocus();
        EXPECT_FALSE(s->hasFocus());
        // A press on a swatch is no handle for dragging the window.
        QTest::mousePress(s, Qt::LeftButton, {}, s->rect().center());
        pointerMovesOver(&window(), QPoint(200, 40));
        QTest::mouseRelease(s, Qt::LeftButton, {}, s->rect().center());
        EXPECT_FALSE(s->hasFocus());
        EXPECT_TRUE(red->hasFocus());
    }
    EXPECT_EQ(window().pos(), before);
    // Tabbing through the window goes from field to field and never lands on
    // a swatch.
    const Role order[] = {Role::GreenField, Role::BlueField, Role::HexField, Role::RedField};
    for (Role next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control(next)) << nameOf(next).toStdString();
    }
}

}  // namespace
}  // namespace huepick::testing
