#include "fault_support.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>

#include "layout_points.h"

namespace e2e::faults {

namespace {

struct User {
    uid_t uid;
    gid_t gid;
};

bool running_as_root() {
    return ::geteuid() == 0;
}

User unprivileged_user() {
    if (const passwd* pw = ::getpwnam("nobody")) {
        return {pw->pw_uid, pw->pw_gid};
    }
    return {65534, 65534};
}

QStringList setpriv_prefix(const User& user) {
    // setpriv clears the parent-death signal with the credentials; --pdeathsig
    // sets it again, so a test killed by its timeout leaves no program behind.
    return {QStringLiteral("--reuid=%1").arg(user.uid), QStringLiteral("--regid=%1").arg(user.gid),
            QStringLiteral("--clear-groups"), QStringLiteral("--pdeathsig"),
            QStringLiteral("KILL")};
}

bool give_to_user(const QString& path) {
    if (!running_as_root()) {
        return true;
    }
    const User user = unprivileged_user();
    return ::chown(QFile::encodeName(path).constData(), user.uid, user.gid) == 0;
}

bool make_folder(const QString& path, mode_t mode, bool users) {
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), mode) == 0 &&
           (!users || give_to_user(path));
}

// /proc/<pid>/stat; empty once the process is gone. Files of /proc report
// no size, so they are read until their end.
QByteArray proc_stat(qint64 pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    return QByteArray::fromStdString(text);
}

// The parent process id from /proc/<pid>/stat (after the command in brackets).
qint64 parent_of(qint64 pid) {
    const QByteArray stat = proc_stat(pid);
    if (stat.isEmpty()) {
        return -1;
    }
    const qsizetype close = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

bool process_gone(qint64 pid) {
    const QByteArray stat = proc_stat(pid);
    return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
}

bool anyone_listens(const QString& socket_path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socket_path);
    if (path.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) {
        return true;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return true;
    }
    const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    const bool refused = result != 0 && errno == ECONNREFUSED;
    ::close(fd);
    return !refused;
}

}  // namespace

std::optional<XWindow> find_main_window(XSession& session, qint64 pid, int timeout_ms) {
    std::optional<XWindow> found;
    const QString pid_text = QString::number(pid);
    poll_until(
        [&] {
            if (::kill(static_cast<pid_t>(pid), 0) != 0 || process_gone(pid)) {
                return true;
            }
            const ToolResult r = session.xdotool(
                {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), pid_text, QStringLiteral("--name"), kMainTitle},
                2000);
            for (const QString& id : r.out.split(u'\n', Qt::SkipEmptyParts)) {
                // --name matches a pattern; the title must match exactly.
                if (session.x().name(id.toUInt()) == kMainTitle) {
                    found = id.toUInt();
                    return true;
                }
            }
            return false;
        },
        timeout_ms);
    return found;
}

bool click_window(XSession& session, QPoint origin, QPoint local, int button) {
    return session.mouse_move(origin + local) && session.click(button);
}

bool enter_hex(XSession& session, XWindow window, QPoint origin, const QString& hex) {
    // A right-button copy leaves the fields disabled until the pointer moves
    // over the background.
    const std::optional<std::vector<QRect>> shape = session.x().bounding_shape(window);
    const std::optional<QPoint> background = shape ? background_point(*shape) : std::nullopt;
    // Focus follows the pointer over the field; select what it holds, so the
    // typed text replaces it.
    return background && session.activate(window) && session.mouse_move(origin + *background) &&
           session.mouse_move(origin + kHexFieldCentre) && session.key(QStringLiteral("ctrl+a")) &&
           session.type(hex) && session.key(QStringLiteral("Return"));
}

std::optional<QString> copy_field(XSession& session, QPoint origin, QPoint field,
                                  const QString& expected) {
    if (!click_window(session, origin, field, 3)) {
        return std::nullopt;
    }
    return session.wait_clipboard(expected);
}

bool end_x_server(XSession& session, int signal) {
    // The server is found among this process's own children by its command
    // line, so no one else's server can be hit.
    qint64 pid = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 candidate = entry.toLongLong(&numeric);
        if (!numeric || parent_of(candidate) != ::getpid()) {
            continue;
        }
        std::ifstream in("/proc/" + std::to_string(candidate) + "/cmdline");
        std::string program;
        std::string display;
        std::getline(in, program, '\0');
        std::getline(in, display, '\0');
        if (QFileInfo(QString::fromStdString(program)).fileName() == QLatin1String("Xvfb") &&
            QString::fromStdString(display) == session.display()) {
            pid = candidate;
            break;
        }
    }
    if (pid == 0 || ::kill(static_cast<pid_t>(pid), signal) != 0) {
        return false;
    }
    if (!poll_until([&] { return process_gone(pid); }, 5000)) {
        return false;
    }
    // A server that dies without its own shutdown leaves its lock and socket
    // behind, which keeps the display number from everyone else. Only what
    // is still the dead server's is removed.
    const QString number = session.display().mid(1);
    const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(number);
    if (const std::optional<QByteArray> owner = read_file(lock);
        owner && owner->trimmed().toLongLong() == pid) {
        QFile::remove(lock);
    }
    const QString socket_path = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    if (!anyone_listens(socket_path)) {
        QFile::remove(socket_path);
    }
    return true;
}

// ---------------------------------------------------------------- UserInstall

UserInstall::UserInstall(XSession& session, InstallOptions options)
    : session_(session), options_(std::move(options)) {}

UserInstall::~UserInstall() {
    if (process_) {
        process_->kill();
        process_->waitForFinished(2000);
    }
    // Without root the folder was made read-only; TempDir has to empty it.
    ::chmod(QFile::encodeName(root_.file(QStringLiteral("app"))).constData(), 0755);
}

std::optional<QString> UserInstall::unavailable() {
    if (!running_as_root()) {
        return std::nullopt;
    }
    QStringList args = setpriv_prefix(unprivileged_user());
    args << QStringLiteral("true");
    const ToolResult r =
        run_tool(QStringLiteral("setpriv"), args, QProcessEnvironment::systemEnvironment());
    if (!r.ok()) {
        return QStringLiteral("cannot switch to the user nobody with setpriv: ") + r.describe();
    }
    return std::nullopt;
}

QString UserInstall::app_file(const QString& name) const {
    return root_.file(QStringLiteral("app/") + name);
}

QString UserInstall::user_ini() const {
    return root_.file(QStringLiteral("home/.config/huepick/huepick.ini"));
}

QString UserInstall::user_log() const {
    return root_.file(QStringLiteral("home/.local/share/huepick/huepick.html"));
}

bool UserInstall::prepare() {
    const QString app = root_.file(QStringLiteral("app"));
    const QFileInfo binary(huepick_binary());
    const bool laid_out =
        root_.ok() && ::chmod(QFile::encodeName(root_.path()).constData(), 0755) == 0 &&
        make_folder(app, 0755, options_.folder_writable) &&
        make_folder(root_.file(QStringLiteral("home")), 0700, true) &&
        make_folder(root_.file(QStringLiteral("run")), 0700, true) &&
        QFile::copy(binary.filePath(), app_file(QStringLiteral("huepick"))) &&
        QFile::copy(binary.absolutePath() + QStringLiteral("/help.html"),
                    app_file(QStringLiteral("help.html"))) &&
        (!options_.ini || write_file(app_file(QStringLiteral("huepick.ini")), *options_.ini)) &&
        (!options_.ini || !options_.folder_writable ||
         give_to_user(app_file(QStringLiteral("huepick.ini")))) &&
        (!options_.read_only_log ||
         (write_file(app_file(QStringLiteral("huepick.html")), *options_.read_only_log) &&
          ::chmod(QFile::encodeName(app_file(QStringLiteral("huepick.html"))).constData(),
                  running_as_root() ? 0644 : 0444) == 0));
    // Root owns everything written here; anyone else has to lock the folder.
    const bool locked = options_.folder_writable || running_as_root() ||
                        ::chmod(QFile::encodeName(app).constData(), 0555) == 0;
    if (!laid_out || !locked) {
        error_ = QStringLiteral("cannot lay out the installation in ") + root_.path();
        return false;
    }
    return true;
}

bool UserInstall::start() {
    if (process_) {
        process_->kill();
        process_->waitForFinished(2000);
    }
    err_.clear();
    window_ = 0;
    QProcessEnvironment env = session_.environment();
    env.insert(QStringLiteral("HOME"), root_.file(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root_.file(QStringLiteral("run")));

    QString program = app_file(QStringLiteral("huepick"));
    QStringList args;
    if (running_as_root()) {
        args = setpriv_prefix(unprivileged_user());
        args << program;
        program = QStringLiteral("setpriv");
    }
    process_ = std::make_unique<QProcess>();
    process_->setProcessEnvironment(env);
    process_->setWorkingDirectory(root_.file(QStringLiteral("home")));
    process_->setStandardInputFile(QProcess::nullDevice());
    die_with_parent(*process_, SIGKILL);
    process_->start(program, args);
    if (!process_->waitForStarted(5000)) {
        error_ = QStringLiteral("cannot start huepick: ") + process_->errorString();
        return false;
    }
    const std::optional<XWindow> window = find_main_window(session_, process_->processId());
    const std::optional<QRect> where = window ? session_.x().geometry(*window) : std::nullopt;
    if (!where) {
        error_ = QStringLiteral("no main window; stderr: ") + stderr_text();
        return false;
    }
    window_ = *window;
    origin_ = where->topLeft();
    return true;
}

ExitInfo UserInstall::wait_exit(int timeout_ms) {
    ExitInfo info;
    if (!process_ ||
        (process_->state() != QProcess::NotRunning && !process_->waitForFinished(timeout_ms))) {
        return info;
    }
    err_ += process_->readAllStandardError();
    info.exited = true;
    info.crashed = process_->exitStatus() == QProcess::CrashExit;
    info.code = process_->exitCode();
    return info;
}

QString UserInstall::stderr_text() {
    if (process_) {
        err_ += process_->readAllStandardError();
    }
    return QString::fromLocal8Bit(err_);
}

// ---------------------------------------------------------------- files

std::optional<QByteArray> read_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

bool write_file(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

std::optional<QString> ini_value(const QString& path, const QString& section, const QString& key) {
    const std::optional<QByteArray> data = read_file(path);
    return data ? ini_value_of(*data, section, key) : std::nullopt;
}

}  // namespace e2e::faults
