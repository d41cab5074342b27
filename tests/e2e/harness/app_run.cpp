#include "harness/app_run.h"

#include <sys/types.h>
#include <QFile>
#include <QFileInfo>
#include <csignal>

#include "harness/x_session.h"

namespace e2e {

QString huepick_binary() {
    const QString chosen = qEnvironmentVariable("HUEPICK_E2E_BIN");
    return chosen.isEmpty() ? QStringLiteral(HUEPICK_BIN) : chosen;
}

AppRun::AppRun(XSession& session, AppOptions options)
    : session_(&session), env_(session.environment()), options_(std::move(options)) {}

AppRun::AppRun(const QProcessEnvironment& base, AppOptions options)
    : env_(base), options_(std::move(options)) {}

AppRun::~AppRun() {
    if (process_) {
        // SIGKILL: a run the test did not end itself has nothing to store.
        process_->kill();
        process_->waitForFinished(2000);
    }
}

bool AppRun::start() {
    if (!app_.ok() || !work_.ok()) {
        error_ = QStringLiteral("cannot create the application folder");
        return false;
    }
    const QFileInfo binary(huepick_binary());
    const QString exe = app_.file(QStringLiteral("huepick"));
    if (!QFile::copy(binary.filePath(), exe)) {
        error_ = QStringLiteral("cannot copy %1").arg(binary.filePath());
        return false;
    }
    if (options_.copy_help) {
        const QString help = binary.absolutePath() + QStringLiteral("/help.html");
        if (!QFile::copy(help, app_.file(QStringLiteral("help.html")))) {
            error_ = QStringLiteral("cannot copy %1").arg(help);
            return false;
        }
    }
    if (options_.ini && !write_ini(*options_.ini)) {
        error_ = QStringLiteral("cannot write %1").arg(ini_path());
        return false;
    }

    QProcessEnvironment env = env_;
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

    process_ = std::make_unique<QProcess>();
    process_->setProcessEnvironment(env);
    process_->setWorkingDirectory(work_.path());
    process_->setStandardInputFile(QProcess::nullDevice());
    die_with_parent(*process_, SIGKILL);
    launch_clock_.start();
    process_->start(exe, {});
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

bool AppRun::wait_for_window(int timeout_ms) {
    if (!session_ || !process_) {
        return false;
    }
    const QString pid_text = QString::number(pid());
    const bool found = poll_until(
        [&] {
            if (!running()) {
                return true;  // no point waiting for a window of a dead process
            }
            // --sync would poll only twice a second.
            const ToolResult r = session_->xdotool(
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), pid_text, QStringLiteral("--name"), kMainTitle},
                2000);
            const QStringList ids = r.out.split(u'\n', Qt::SkipEmptyParts);
            for (const QString& id : ids) {
                // --name matches a pattern; the title must match exactly.
                const XWindow w = id.toUInt();
                if (session_->x().name(w) == kMainTitle) {
                    window_ = w;
                    return true;
                }
            }
            return false;
        },
        timeout_ms);
    if (window_ == 0) {
        collect_output();
        error_ = found ? QStringLiteral("huepick ended before its window appeared; stderr: ") +
                             QString::fromLocal8Bit(err_)
                       : QStringLiteral("no window titled \"%1\" within %2 ms")
                             .arg(kMainTitle)
                             .arg(timeout_ms);
        return false;
    }
    return true;
}

std::optional<QRect> AppRun::geometry() {
    if (!session_ || window_ == 0) {
        return std::nullopt;
    }
    return session_->x().geometry(window_);
}

bool AppRun::viewable() {
    return session_ && window_ != 0 && session_->x().viewable(window_);
}

bool AppRun::wait_viewable(bool wanted, int timeout_ms) {
    return poll_until([&] { return viewable() == wanted; }, timeout_ms);
}

std::optional<QPoint> AppRun::to_screen(QPoint local) {
    const std::optional<QRect> g = geometry();
    if (!g) {
        return std::nullopt;
    }
    return g->topLeft() + local;
}

bool AppRun::click_at(QPoint local, int button) {
    const std::optional<QPoint> at = to_screen(local);
    return at && session_->mouse_move(*at) && session_->click(button);
}

bool AppRun::close_with_keyboard() {
    if (!session_ || window_ == 0) {
        return false;
    }
    return session_->activate(window_) && session_->key(QStringLiteral("alt+F4"));
}

bool AppRun::close_with_request() {
    return session_ && window_ != 0 && session_->x().request_close(window_);
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

QByteArray AppRun::ini_text() const {
    QFile file(ini_path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AppRun::write_ini(const QByteArray& content) const {
    QFile file(ini_path());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

std::optional<QString> ini_value_of(const QByteArray& text, const QString& section,
                                    const QString& key) {
    bool in_section = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            in_section =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (in_section && eq > 0 &&
            line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return line.mid(eq + 1).trimmed();
        }
    }
    return std::nullopt;
}

std::optional<QString> AppRun::ini_value(const QString& section, const QString& key) const {
    QFile file(ini_path());
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return ini_value_of(file.readAll(), section, key);
}

}  // namespace e2e
