// The clipboard as the program uses it: every copy clears it, then sets one
// plain text.
#pragma once

#include <QString>

namespace huepick {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void set_text(const QString& text) = 0;
};

inline void copy_text(Clipboard& clipboard, const QString& text) {
    clipboard.clear();
    clipboard.set_text(text);
}

// The desktop's clipboard (the CLIPBOARD selection on X11).
class SystemClipboard : public Clipboard {
public:
    void clear() override;
    void set_text(const QString& text) override;
};

}  // namespace huepick
