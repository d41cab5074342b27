// SPDX-License-Identifier: MIT
// One running Huepick per user and display. The first one listens on a local
// socket in the user's runtime folder; a later start hands its request to it
// (show the window, or pick and answer with the colour) and exits, so only
// one process ever writes the settings file.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "core/channel.h"

class QSocketNotifier;

namespace huepick {

// What a later start asks of the running one.
struct InstanceRequest {
    bool pick = false;  // else: show the window
    CaptureMode mode = CaptureMode::Sample;
    int format = 0;
};

// The answer: the picked colour's text, or nothing for a cancelled pick.
using InstanceAnswer = std::optional<QString>;

// The socket for this user and the display named by `platform`'s variable.
QString instanceSocketPath(const QString& platform);

// Hands `request` to a running instance and waits for its answer (a pick
// waits as long as the user takes). Nothing when none runs.
std::optional<InstanceAnswer> askRunningInstance(const QString& socketPath,
                                                 const InstanceRequest& request);

class InstanceServer : public QObject {
    Q_OBJECT
public:
    using Reply = std::function<void(const InstanceAnswer&)>;
    using Handler = std::function<void(const InstanceRequest&, Reply)>;

    explicit InstanceServer(QString socketPath, QObject* parent = nullptr);
    ~InstanceServer() override;
    // Requests that come before a handler is set are refused.
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Takes the socket, clearing one left behind by an instance that died;
    // false when another instance holds it.
    bool listen(QString* why);

private:
    void accept();
    void serve(int client);

    QString m_path;
    Handler m_handler;
    int m_socket = -1;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace huepick
