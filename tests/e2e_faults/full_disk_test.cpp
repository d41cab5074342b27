// SPDX-License-Identifier: MIT
// A full disk under the application folder: the settings file and the colour
// log are either written whole or left exactly as they were, and each failed
// write is one line on stderr. The folder lies on a small tmpfs that the test
// mounts (root only) and fills.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

#include "harness/desk.h"
#include "harness/files.h"
#include "harness/printers.h"
#include "harness/unprivileged_user.h"

namespace e2e::faults {
namespace {

constexpr qint64 kPage = 4096;

// A tmpfs just big enough for the application folder and some room, mounted
// for the test's lifetime; unmounted (lazily, so a straggler cannot keep it)
// whatever the test's outcome.
class SmallDisk {
public:
    SmallDisk() {
        if (!runningAsRoot()) {
            m_error = QStringLiteral("mounting a tmpfs needs root");
            return;
        }
        const QFileInfo binary(huepickBinary());
        const qint64 help = QFileInfo(binary.absolutePath() + QStringLiteral("/help.html")).size();
        const qint64 bytes = binary.size() + help + 64 * kPage;
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (!m_point.ok() || ::mount("tmpfs", QFile::encodeName(m_point.path()).constData(),
                                     "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
            m_error = QStringLiteral("cannot mount a tmpfs: ") +
                      QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        m_mounted = true;
    }
    ~SmallDisk() {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_point.path()).constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ok() const { return m_mounted; }
    const QString& error() const { return m_error; }
    const QString& path() const { return m_point.path(); }

    qint64 available() const {
        struct statvfs st {};
        return ::statvfs(QFile::encodeName(path()).constData(), &st) == 0
                   ? static_cast<qint64>(st.f_bavail) * static_cast<qint64>(st.f_bsize)
                   : -1;
    }

    // Writes a filler file until nothing fits, then gives back `leave`
    // bytes (whole pages) of it.
    bool fill(qint64 leave) {
        const int fd = ::open(QFile::encodeName(filler()).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        const std::vector<char> chunk(64 * 1024, 'f');
        qint64 written = 0;
        for (std::size_t n = chunk.size(); n > 0; n /= 2) {
            ssize_t w = 0;
            while ((w = ::write(fd, chunk.data(), n)) > 0) {
                written += w;
            }
        }
        const bool ok = ::ftruncate(fd, written - leave) == 0;
        ::close(fd);
        return ok && available() == leave;
    }

    bool freeSpace() { return QFile::remove(filler()); }

private:
    QString filler() const { return path() + QStringLiteral("/filler"); }

    TempDir m_point{QStringLiteral("disk")};
    bool m_mounted = false;
    QString m_error;
};

#define MOUNT_OR_SKIP(disk)                               \
    do {                                                  \
        if (!(disk).ok()) {                               \
            GTEST_SKIP() << (disk).error().toStdString(); \
        }                                                 \
    } while (0)

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden |
                                  QDir::System);
}

// Another program's sections around ours, larger than a page, so that a
// rewrite can never fit into the page that may be left.
QByteArray manyLines() {
    QByteArray text = "[other]\n";
    for (int i = 0; i < 400; ++i) {
        text += "key" + QByteArray::number(i) + "=a value another program keeps here\n";
    }
    text += "[settings]\nlastcolor=FF8000\n[more]\nlast=1\n";
    return text;
}

class FullDiskSettings : public ::testing::TestWithParam<qint64> {};

TEST_P(FullDiskSettings, ColourThatCannotBeStoredLeavesTheFileWholeAndEndsWithStatusOne) {
    SmallDisk disk;
    MOUNT_OR_SKIP(disk);
    const QByteArray before = manyLines();
    ASSERT_GT(before.size(), 2 * kPage);
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = before, .parentDir = disk.path()});
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    const QStringList listing = entries(app.appDir());
    ASSERT_TRUE(disk.fill(GetParam())) << disk.available() << " bytes left";

    ASSERT_TRUE(app.enterHex(QStringLiteral("#12AB34")));
    ASSERT_EQ(app.copyField(Role::GreenField, QStringLiteral("171")), QStringLiteral("171"));
    ASSERT_TRUE(app.click(Role::CloseButton));
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_FALSE(exit.crashed) << "killed by signal " << exit.code;
    EXPECT_EQ(exit.code, 1);

    EXPECT_TRUE(app.iniText() == before) << "the settings file changed";
    EXPECT_EQ(entries(app.appDir()), listing) << "a temporary file was left behind";
    const QStringList lines = app.stderrText().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << app.stderrText().toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("store")) &&
                lines[0].contains(QStringLiteral("huepick.ini")))
        << lines[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Tmpfs, FullDiskSettings, ::testing::Values(0, kPage),
                         [](const ::testing::TestParamInfo<qint64>& info) {
                             return info.param == 0 ? "NoRoomLeft" : "OnePageLeft";
                         });

QByteArray recordFor(const char* hex) {
    return QByteArray("\"<FONT FACE=arial SIZE=3 COLOR=") + hex + "><B>" + hex +
           "</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n";
}

// The earlier records end 16 bytes short of a page, so an export that
// cannot fit still gets its first bytes into the file, and they must go.
TEST(FullDiskLog, ExportThatCannotFitLeavesNoFragmentAndTheNextAppendsOneWholeRecord) {
    SmallDisk disk;
    MOUNT_OR_SKIP(disk);
    QByteArray earlier;
    for (int i = 0; i < 40; ++i) {
        earlier += recordFor("#ABCDEF");
    }
    ASSERT_EQ(kPage - earlier.size(), 16);
    XSession session;
    ASSERT_TRUE(session.ok()) << session.error().toStdString();
    XAppRun app(session, {.ini = iniWithColour("00FF00"), .parentDir = disk.path()});
    const QString log = app.appFile(QStringLiteral("huepick.html"));
    ASSERT_TRUE(writeFile(log, earlier));
    ASSERT_TRUE(app.launch()) << app.error().toStdString();
    ASSERT_TRUE(disk.fill(0));

    ASSERT_TRUE(app.click(Role::ExportButton));
    const QStringList lines = app.waitStderrLines(1);
    ASSERT_EQ(lines.size(), 1) << app.stderrText().toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("huepick.html"))) << lines[0].toStdString();
    EXPECT_TRUE(readFile(log) == earlier) << readFile(log).value_or("").size() << " bytes";

    ASSERT_TRUE(disk.freeSpace());
    ASSERT_TRUE(app.click(Role::ExportButton));
    const QByteArray record = recordFor("#00FF00");
    ASSERT_EQ(record.size(), 102);
    EXPECT_TRUE(pollUntil([&] { return readFile(log) == earlier + record; }, 3000))
        << readFile(log).value_or("").size() << " bytes, expected " << earlier.size() + 102;

    ASSERT_TRUE(app.click(Role::CloseButton));
    const ExitInfo exit = app.waitExit(5000);
    ASSERT_TRUE(exit.exited) << "huepick is still running";
    EXPECT_EQ(exit.code, 0) << app.stderrText().toStdString();
    EXPECT_EQ(app.stderrText().count(u'\n'), 1) << app.stderrText().toStdString();
}

}  // namespace
}  // namespace e2e::faults
