// SPDX-License-Identifier: MIT
// The program's files are regular files or nothing: a FIFO or a folder in
// their place is refused at once instead of hanging the program.
#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <future>

#include "qt_print.h"

namespace huepick {
namespace {

using namespace Qt::StringLiterals;
using Status = FileRead::Status;

class RegularFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString put(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(f.write(bytes), bytes.size());
        return path;
    }

    QString fifo() {
        const QString path = m_dir.filePath(u"fifo"_s);
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }

    // Runs `call` on `fifo` and fails if it waits for the other end. A call
    // that does wait is then released by opening that end, so a fault fails
    // the test instead of hanging it.
    template <class Call>
    auto withoutWaiting(const QString& fifo, Call call) {
        auto result = std::async(std::launch::async, call);
        if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "waited for the other end of the FIFO";
            // Opening and closing both ends wakes the call: a reader then sees
            // the end of the file, a writer a broken pipe (as an error, not
            // as a signal that would end the tests).
            std::signal(SIGPIPE, SIG_IGN);
            ::close(::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK));
            result.wait();
        }
        return result.get();
    }

    QTemporaryDir m_dir;
    QString m_why;
};

TEST_F(RegularFileTest, ReadsAWholeFileUpToTheLimit) {
    const QString path = put(u"ten"_s, "0123456789");
    FileRead read = readRegularFile(path, 10);
    EXPECT_EQ(read.status, Status::Ok);
    EXPECT_EQ(read.bytes, "0123456789");

    read = readRegularFile(path, 9);
    EXPECT_EQ(read.status, Status::Refused);
    EXPECT_TRUE(read.bytes.isEmpty());
    EXPECT_FALSE(read.why.isEmpty());

    read = readRegularFile(put(u"empty"_s, {}), 0);
    EXPECT_EQ(read.status, Status::Ok);
    EXPECT_TRUE(read.bytes.isEmpty());
}

TEST_F(RegularFileTest, AMissingFileIsNoError) {
    const FileRead read = readRegularFile(m_dir.filePath(u"missing"_s), 100);
    EXPECT_EQ(read.status, Status::Missing);
    EXPECT_TRUE(read.bytes.isEmpty());
}

TEST_F(RegularFileTest, FollowsASymlinkToARegularFile) {
    const QString target = put(u"target"_s, "[settings]\nlastcolor=FF8000\n");
    const QString link = m_dir.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(target, link));
    const FileRead read = readRegularFile(link, 100);
    EXPECT_EQ(read.status, Status::Ok);
    EXPECT_EQ(read.bytes, "[settings]\nlastcolor=FF8000\n");

    // A replacement goes to the target; the link stays a link.
    ASSERT_TRUE(replaceFile(link, "new", &m_why)) << m_why.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readRegularFile(target, 100).bytes, "new");
}

TEST_F(RegularFileTest, AFolderIsRefused) {
    const FileRead read = readRegularFile(m_dir.path(), 1 << 20);
    EXPECT_EQ(read.status, Status::Refused);
    EXPECT_FALSE(read.why.isEmpty());
    EXPECT_FALSE(replaceFile(m_dir.path(), "x", &m_why));
    EXPECT_FALSE(m_why.isEmpty());
    EXPECT_TRUE(QFileInfo(m_dir.path()).isDir());
}

TEST_F(RegularFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    const QString path = fifo();
    const FileRead read = withoutWaiting(path, [&] { return readRegularFile(path, 100); });
    EXPECT_EQ(read.status, Status::Refused);
    EXPECT_FALSE(read.why.isEmpty());
}

TEST_F(RegularFileTest, AFifoIsNeitherAppendedToNorReplaced) {
    const QString path = fifo();
    QString why;
    EXPECT_FALSE(withoutWaiting(path, [&] { return appendToFile(path, "record", &why); }));
    EXPECT_FALSE(why.isEmpty());
    why.clear();
    EXPECT_FALSE(withoutWaiting(path, [&] { return replaceFile(path, "bytes", &why); }));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(QFileInfo(path).exists() && !QFileInfo(path).isFile()) << "still the FIFO";
}

TEST_F(RegularFileTest, AppendCreatesAndExtends) {
    const QString path = m_dir.filePath(u"log"_s);
    ASSERT_TRUE(appendToFile(path, "one ", &m_why)) << m_why.toStdString();
    ASSERT_TRUE(appendToFile(path, "two", &m_why)) << m_why.toStdString();
    EXPECT_EQ(readRegularFile(path, 100).bytes, "one two");
}

}  // namespace
}  // namespace huepick
