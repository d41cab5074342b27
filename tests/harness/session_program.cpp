#include "session_program.h"

#include <QElapsedTimer>

#include "wl_process.h"

namespace e2e::wayland {

SessionProgram::SessionProgram(std::unique_ptr<QProcess> process) : process_(std::move(process)) {}

SessionProgram::~SessionProgram() {
    stop();
}

void SessionProgram::stop() {
    stop_process(*process_);
}

void SessionProgram::read_available() {
    // Without an event loop, QProcess reads its pipes only when waited on.
    if (process_->state() == QProcess::Running) {
        process_->waitForReadyRead(0);
    }
    partial_ += process_->readAllStandardOutput();
    err_ += process_->readAllStandardError();
    for (qsizetype end = partial_.indexOf('\n'); end >= 0; end = partial_.indexOf('\n')) {
        lines_ << QString::fromUtf8(partial_.left(end));
        partial_.remove(0, end + 1);
    }
}

std::optional<QString> SessionProgram::wait_line(const QString& prefix, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        read_available();
        while (next_ < lines_.size()) {
            const QString& line = lines_[next_++];
            if (line.startsWith(prefix)) {
                return line;
            }
        }
        const qint64 left = timeout_ms - clock.elapsed();
        if (left <= 0 || process_->state() != QProcess::Running) {
            // One last look: the program may have printed and exited.
            process_->waitForReadyRead(0);
            read_available();
            while (next_ < lines_.size()) {
                const QString& line = lines_[next_++];
                if (line.startsWith(prefix)) {
                    return line;
                }
            }
            return std::nullopt;
        }
        process_->waitForReadyRead(static_cast<int>(std::min<qint64>(left, 100)));
    }
}

const QStringList& SessionProgram::lines() {
    read_available();
    return lines_;
}

QString SessionProgram::stderr_text() {
    read_available();
    return QString::fromLocal8Bit(err_);
}

std::optional<int> SessionProgram::wait_exit(int timeout_ms) {
    if (process_->state() != QProcess::NotRunning && !process_->waitForFinished(timeout_ms)) {
        return std::nullopt;
    }
    read_available();
    if (process_->exitStatus() == QProcess::CrashExit) {
        return std::nullopt;
    }
    return process_->exitCode();
}

}  // namespace e2e::wayland
