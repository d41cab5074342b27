// SPDX-License-Identifier: MIT
#include "ui/accessibility.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

#include "ui/picture_button.h"
#include "ui/swatch.h"

namespace huepick {

namespace {

// A picture button: a button whose press action does what a click does.
class AccessibleButton : public QAccessibleWidget {
public:
    explicit AccessibleButton(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            static_cast<PictureButton*>(widget())->click();
        }
    }
};

QAccessibleInterface* accessibleFace(const QString& className, QObject* object) {
    if (className == QLatin1String("huepick::PictureButton")) {
        return new AccessibleButton(static_cast<QWidget*>(object));
    }
    if (className == QLatin1String("huepick::Swatch")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    }
    return nullptr;
}

}  // namespace

void installAccessibility() {
    static const bool kInstalled = [] {
        QAccessible::installFactory(accessibleFace);
        return true;
    }();
    (void)kInstalled;
}

}  // namespace huepick
