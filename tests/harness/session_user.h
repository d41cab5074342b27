// SPDX-License-Identifier: MIT
// Who a Wayland test session runs as. Sway refuses to run as root, and the
// session bus only admits its own user, so a test running as root starts the
// whole session, and every program in it, as a dedicated unprivileged user
// (huepick-test, made by tools/dev.sh; HUEPICK_WAYLAND_USER names another).
// A dedicated user rather than "nobody": daemons already run as nobody, and
// they would be able to join the session's bus and display, and its files
// would be theirs. A test that does not run as root runs the session as
// itself.
#pragma once

#include <sys/types.h>
#include <QString>
#include <QStringList>
#include <optional>

namespace e2e::wayland {

class SessionUser {
public:
    // The user to run as; nullopt with *error set when the dedicated user is
    // missing.
    static std::optional<SessionUser> resolve(QString* error);

    const QString& name() const { return m_name; }
    uid_t uid() const { return m_uid; }
    gid_t gid() const { return m_gid; }
    // True when programs must switch to this user (the test runs as root).
    bool switches() const { return m_switches; }

    // The command line that runs `command` (program first) as this user,
    // with a parent-death signal that survives the switch.
    QStringList wrap(const QStringList& command) const;

    // A private folder (mode 0700) owned by this user; empty on failure.
    QString makeFolder(const QString& parent, const QString& label) const;
    // Hands an existing path over to this user.
    bool give(const QString& path) const;

    // Whether this user may read and run `path`: every folder above it must
    // be searchable and the file readable and executable by this user, as
    // their owner or as others. Only meaningful when switches(); a
    // non-switching user owns what it built.
    bool canRun(const QString& path) const;

private:
    QString m_name;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    bool m_switches = false;
};

}  // namespace e2e::wayland
