// Moving the keyboard to one of our windows when the pointer comes to it.
#pragma once

class QWidget;

namespace huepick {

// Gives `window` (a top-level) the keyboard, as focus-follows-mouse does.
// Window managers refuse an ordinary activation request from a program that
// the user has not clicked, so on X11 the input focus is set directly.
void take_keyboard_focus(QWidget* window);

}  // namespace huepick
