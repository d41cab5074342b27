// SPDX-License-Identifier: MIT
// The desktop's "open" action for a file.
#pragma once

#include <QString>
#include <functional>

namespace huepick {

class Shell {
public:
    using Failure = std::function<void(const QString& why)>;
    virtual ~Shell() = default;
    // Hands the file to its associated viewer without waiting for it; a
    // missing file opens nothing. `failed` is called, later, when the
    // desktop could not show it.
    virtual void open(const QString& path, Failure failed) = 0;
};

// xdg-open, whose exit status says whether a viewer took the file.
class DesktopShell : public Shell {
public:
    void open(const QString& path, Failure failed) override;
};

}  // namespace huepick
