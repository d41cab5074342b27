// SPDX-License-Identifier: MIT
// The desktop's clipboard as the program uses it: every copy replaces its
// content with one plain text.
#pragma once

#include <QString>

namespace huepick {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void copy(const QString& text) = 0;
    // Called once, as the program ends: what the program copied stays on the
    // clipboard after it has gone, as users expect of a desktop clipboard.
    virtual void keepAfterExit() {}
};

// Through Qt: the CLIPBOARD selection on X11, the clipboard on Wayland.
class QtClipboard : public Clipboard {
public:
    void copy(const QString& text) override;
};

}  // namespace huepick
