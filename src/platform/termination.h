// SPDX-License-Identifier: MIT
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered on the UI
// thread, so that the normal shutdown (which stores the colour) runs. The
// program ends within a second of the signal whatever it was doing.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace huepick {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace huepick
