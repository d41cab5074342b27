#include "harness/app_run.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>

#include "harness/files.h"
#include "harness/unprivileged_user.h"

namespace e2e {

namespace {

bool set_mode(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

}  // namespace

QString huepick_binary() {
    const QString chosen = qEnvironmentVariable("HUEPICK_E2E_BIN");
    return chosen.isEmpty() ? QStringLiteral(HUEPICK_BIN) : chosen;
}

AppRun::AppRun(const QProcessEnvironment& base, AppOptions options)
    : base_(base), options_(std::move(options)) {
    if (root_.ok()) {
        QDir().mkpath(app_dir());
        QDir().mkpath(work_dir());
    }
}

AppRun::~AppRun() {
    if (process_) {
        // SIGKILL: a run the test did not end itself has nothing to store.
        process_->kill();
        process_->waitForFinished(2000);
    }
    // A folder locked against its user must be writable again to be removed.
    set_mode(app_dir(), 0755);
}

QString AppRun::app_dir() const {
    return options_.parent_dir.isEmpty() ? root_.file(QStringLiteral("app"))
                                         : options_.parent_dir + QStringLiteral("/app");
}

QString AppRun::home() const {
    return options_.unprivileged ? root_.file(QStringLiteral("home"))
                                 : base_.value(QStringLiteral("HOME"));
}

bool AppRun::lay_out() {
    const bool user = options_.unprivileged;
    const QFileInfo binary(huepick_binary());
    const QString log = app_file(QStringLiteral("huepick.html"));
    // The unprivileged user must reach the application folder through ours.
    bool ok = root_.ok() && (!user || set_mode(root_.path(), 0755)) &&
              make_folder(app_dir(), 0755, user && options_.folder_writable) &&
              make_folder(work_dir(), 0700, user) &&
              QFile::copy(binary.filePath(), app_file(QStringLiteral("huepick")));
    if (ok && options_.copy_help) {
        ok = QFile::copy(binary.absolutePath() + QStringLiteral("/help.html"),
                         app_file(QStringLiteral("help.html")));
    }
    if (ok && user) {
        ok = make_folder(home(), 0700, true) &&
             make_folder(root_.file(QStringLiteral("run")), 0700, true);
    }
    if (ok && options_.ini) {
        ok = write_ini(*options_.ini) &&
             (!user || !options_.folder_writable || give_to_unprivileged_user(ini_path()));
    }
    if (ok && options_.read_only_log) {
        // Root ignores the mode, so only the owner keeps the program out.
        ok = write_file(log, *options_.read_only_log) &&
             set_mode(log, user && running_as_root() ? 0644 : 0444);
    }
    // Root owns everything written here; anyone else has to lock the folder.
    if (ok && !options_.folder_writable && !(user && running_as_root())) {
        ok = set_mode(app_dir(), 0555);
    }
    if (!ok) {
        error_ = QStringLiteral("cannot lay out the application folder in ") + root_.path();
    }
    return ok;
}

QProcessEnvironment AppRun::run_environment() const {
    QProcessEnvironment env = base_;
    if (options_.unprivileged) {
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root_.file(QStringLiteral("run")));
    }
    for (auto it = options_.env.cbegin(); it != options_.env.cend(); ++it) {
        if (it.value().isEmpty()) {
            env.remove(it.key());
        } else {
            env.insert(it.key(), it.value());
        }
    }
    if (!options_.path_prefix.isEmpty()) {
        env.insert(QStringLiteral("PATH"),
                   options_.path_prefix + u':' + env.value(QStringLiteral("PATH")));
    }
    return env;
}

bool AppRun::start(const QStringList& args) {
    if (!laid_out_) {
        if (!lay_out()) {
            return false;
        }
        laid_out_ = true;
    }
    if (process_) {
        process_->kill();
        process_->waitForFinished(2000);
    }
    out_.clear();
    err_.clear();
    exit_.reset();

    const QString exe = app_file(QStringLiteral("huepick"));
    CommandLine command = options_.unprivileged ? as_unprivileged_user(exe) : CommandLine{exe, {}};
    command.args << args;
    process_ = std::make_unique<QProcess>();
    process_->setProcessEnvironment(run_environment());
    process_->setWorkingDirectory(work_dir());
    process_->setStandardInputFile(QProcess::nullDevice());
    die_with_parent(*process_, SIGKILL);
    launch_clock_.start();
    process_->start(command.program, command.args);
    if (!process_->waitForStarted(5000)) {
        error_ = QStringLiteral("cannot start huepick: ") + process_->errorString();
        process_.reset();
        return false;
    }
    return true;
}

qint64 AppRun::pid() const {
    return process_ ? process_->processId() : 0;
}

bool AppRun::running() const {
    return process_ && process_->state() == QProcess::Running;
}

bool AppRun::send_signal(int signal) {
    return running() && ::kill(static_cast<pid_t>(pid()), signal) == 0;
}

ExitInfo AppRun::wait_exit(int timeout_ms) {
    if (exit_) {
        return *exit_;
    }
    ExitInfo info;
    if (!process_) {
        return info;
    }
    if (process_->state() != QProcess::NotRunning && !process_->waitForFinished(timeout_ms)) {
        return info;
    }
    collect_output();
    info.exited = true;
    info.crashed = process_->exitStatus() == QProcess::CrashExit;
    info.code = process_->exitCode();
    exit_ = info;
    return info;
}

void AppRun::collect_output() {
    if (process_) {
        out_ += process_->readAllStandardOutput();
        err_ += process_->readAllStandardError();
    }
}

QString AppRun::stdout_text() {
    collect_output();
    return QString::fromLocal8Bit(out_);
}

QString AppRun::stderr_text() {
    collect_output();
    return QString::fromLocal8Bit(err_);
}

QStringList AppRun::wait_stderr_lines(int at_least, int timeout_ms) {
    QStringList lines;
    poll_until(
        [&] {
            // The output reaches the QProcess through the event loop.
            QCoreApplication::processEvents();
            lines = stderr_text().split(u'\n', Qt::SkipEmptyParts);
            return lines.size() >= at_least;
        },
        timeout_ms);
    return lines;
}

QByteArray AppRun::ini_text() const {
    return read_file(ini_path()).value_or(QByteArray());
}

std::optional<QString> AppRun::ini_value(const QString& section, const QString& key) const {
    return e2e::ini_value(ini_path(), section, key);
}

bool AppRun::write_ini(const QByteArray& content) const {
    return write_file(ini_path(), content);
}

}  // namespace e2e
