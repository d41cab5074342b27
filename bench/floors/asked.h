// SPDX-License-Identifier: MIT
// How the benchmark asks a probe for one more measurement: SIGUSR1, which
// reaches a probe that runs as another user too, and costs the probe nothing
// while it waits. Construct before QCoreApplication, so that every thread Qt
// starts keeps the signal blocked and it arrives only through the notifier.
#pragma once

#include <sys/signalfd.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>

class Asked {
public:
    Asked() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGUSR1);
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        m_fd = signalfd(-1, &set, SFD_CLOEXEC);
    }
    ~Asked() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Asked(const Asked&) = delete;
    Asked& operator=(const Asked&) = delete;

    bool ok() const { return m_fd >= 0; }

    // Calls `answer` once for each signal; needs the application object.
    void onEach(std::function<void()> answer) {
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this, answer] {
            signalfd_siginfo info;
            if (::read(m_fd, &info, sizeof info) == sizeof info) {
                answer();
            }
        });
    }

private:
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
