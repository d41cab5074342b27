// Whether the X display can be reached, asked before Qt would abort on it.
#pragma once

#include <QString>

namespace huepick {

// Empty when the display (or another platform chosen by QT_QPA_PLATFORM) is
// usable, otherwise one line saying why not.
QString display_problem();

}  // namespace huepick
