#include "platform/keyboard_focus.h"

#include <QWidget>

namespace huepick {

void ActivatingFocus::pointerEntered(QWidget& window) {
    if (window.isVisible() && !window.isActiveWindow()) {
        window.activateWindow();
    }
}

}  // namespace huepick
