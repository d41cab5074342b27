// Giving one of the program's windows the keyboard when the pointer comes to
// one of its fields.
#pragma once

class QWidget;

namespace huepick {

class KeyboardFocus {
public:
    virtual ~KeyboardFocus() = default;
    virtual void pointerEntered(QWidget& window) = 0;
};

// Asks Qt to activate the window, which a window manager may refuse.
class ActivatingFocus : public KeyboardFocus {
public:
    void pointerEntered(QWidget& window) override;
};

}  // namespace huepick
