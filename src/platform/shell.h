// The desktop's "open" action for a file.
#pragma once

#include <QString>

namespace huepick {

class Shell {
public:
    virtual ~Shell() = default;
    // Hands the file to its associated viewer without waiting for it.
    virtual void open(const QString& path) = 0;
};

class DesktopShell : public Shell {
public:
    void open(const QString& path) override;
};

}  // namespace huepick
