// SPDX-License-Identifier: MIT
// The settings file on disk: read once at start, written once at the end,
// and never harmed on the way.
#include "core/settings_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <iostream>

#include "qt_print.h"
#include "read_only_folder.h"

namespace huepick {

inline void PrintTo(SettingsFile::Write write, std::ostream* os) {
    static const char* const kNames[] = {"Written", "Unchanged", "Blank", "Failed"};
    *os << kNames[static_cast<int>(write)];
}

namespace {

using namespace Qt::StringLiterals;
using Write = SettingsFile::Write;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(u"huepick.ini"_s);
    }

    void writeFile(const QByteArray& bytes) {
        QFile f(m_path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray fileBytes() const {
        QFile f(m_path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // What a new run of the program reads.
    std::optional<QString> readFresh(const QString& section, const QString& key) const {
        SettingsFile fresh(m_path);
        EXPECT_TRUE(fresh.load());
        return fresh.read(section, key);
    }

    QTemporaryDir m_dir;
    QString m_path;
    QString m_why;
};

TEST_F(SettingsFileTest, AMissingFileReadsNothingAndTheFirstWriteCreatesIt) {
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load(&m_why)) << m_why.toStdString();
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), std::nullopt);
    EXPECT_FALSE(QFile::exists(m_path));
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"FF8000"_s, &m_why), Write::Written)
        << m_why.toStdString();
    EXPECT_EQ(fileBytes(), QByteArray("[settings]\nlastcolor=FF8000\n"));
}

TEST_F(SettingsFileTest, ReadTrimsAndWriteReplacesTheSameLine) {
    writeFile("[SETTINGS]\nLastColor=  FF8000  \n");
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load());
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), u"FF8000"_s);
    EXPECT_EQ(settings.read(u"Settings", u"LASTCOLOR"), u"FF8000"_s);

    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"00FF00"_s), Write::Written);
    EXPECT_EQ(fileBytes(), QByteArray("[SETTINGS]\nLastColor=00FF00\n"));
    // A later read returns what was written, in this run and the next.
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), u"00FF00"_s);
    EXPECT_EQ(readFresh(u"settings"_s, u"lastcolor"_s), u"00FF00"_s);
}

TEST_F(SettingsFileTest, BlankNamesAndValuesWriteNothing) {
    SettingsFile missing(m_path);
    ASSERT_TRUE(missing.load());
    EXPECT_EQ(missing.write(u"settings", u"lastcolor", QString()), Write::Blank);
    EXPECT_FALSE(QFile::exists(m_path));

    const QByteArray before = "[settings]\nlastcolor=FF8000\n";
    writeFile(before);
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load());
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", QString()), Write::Blank);
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u" \t "_s), Write::Blank);
    EXPECT_EQ(settings.write(u"settings", u"  ", u"00FF00"_s), Write::Blank);
    EXPECT_EQ(settings.write(u" ", u"lastcolor", u"00FF00"_s), Write::Blank);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), u"FF8000"_s);
}

TEST_F(SettingsFileTest, TheSameValueLeavesTheFileAlone) {
    const QByteArray before = "; mine\n[settings]\nlastcolor = FF8000 \n";
    writeFile(before);
    struct stat old {};
    ASSERT_EQ(::stat(QFile::encodeName(m_path).constData(), &old), 0);
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load());
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"FF8000"_s), Write::Unchanged);
    EXPECT_EQ(settings.write(u"Settings", u"LastColor", u" FF8000\t"_s), Write::Unchanged);
    struct stat now {};
    ASSERT_EQ(::stat(QFile::encodeName(m_path).constData(), &now), 0);
    EXPECT_EQ(now.st_ino, old.st_ino) << "the file was replaced";
    EXPECT_EQ(now.st_mtim.tv_sec, old.st_mtim.tv_sec);
    EXPECT_EQ(now.st_mtim.tv_nsec, old.st_mtim.tv_nsec);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(SettingsFileTest, ChangesMadeByOthersSinceTheStartStay) {
    writeFile("[settings]\nlastcolor=000000\n");
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load());
    writeFile("[settings]\nlastcolor=000000\n[theirs]\nkey=1\n");
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"FF8000"_s), Write::Written);
    EXPECT_EQ(fileBytes(), QByteArray("[settings]\nlastcolor=FF8000\n[theirs]\nkey=1\n"));
    EXPECT_EQ(settings.read(u"theirs", u"key"), u"1"_s);
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileIsRefusedAndNeverWritten) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"huepick.ini"_s));
    SettingsFile settings(m_path);
    EXPECT_FALSE(settings.load(&m_why));
    EXPECT_FALSE(m_why.isEmpty());
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), std::nullopt);
    m_why.clear();
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"FF8000"_s, &m_why), Write::Failed);
    EXPECT_FALSE(m_why.isEmpty());
    EXPECT_TRUE(QFileInfo(m_path).isDir());
    EXPECT_TRUE(QDir(m_path).isEmpty());
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileWhole) {
    const QByteArray before = "[settings]\nlastcolor=FF8000\n";
    writeFile(before);
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load());
    {
        ReadOnlyFolder readOnly(m_dir.path());
        if (!readOnly.effective()) {
            GTEST_SKIP() << "this file system lets us write into a read-only folder";
        }
        EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"00FF00"_s, &m_why), Write::Failed);
        EXPECT_FALSE(m_why.isEmpty());
    }
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"huepick.ini"_s});
}

// A NUL ends a stored value, so the hex field never shows one.
TEST_F(SettingsFileTest, ANulInsideAStoredValueEndsIt) {
    const char bytes[] = "[settings]\nlastcolor=AB\0CD\n";
    writeFile(QByteArray(bytes, sizeof bytes - 1));
    EXPECT_EQ(readFresh(u"settings"_s, u"lastcolor"_s), u"AB"_s);
}

// A value that starts with U+FEFF (the bytes of a byte-order mark) reads
// back whole, and writing it again leaves the file alone.
TEST_F(SettingsFileTest, AValueStartingWithAByteOrderMarkReadsBackAsWritten) {
    const QString value = u"\uFEFFFF8000"_s;
    SettingsFile settings(m_path);
    ASSERT_TRUE(settings.load());
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", value), Write::Written);
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), value);
    EXPECT_EQ(readFresh(u"settings"_s, u"lastcolor"_s), value);
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", value), Write::Unchanged);
}

TEST_F(SettingsFileTest, FilesOverTheLimitAreRefusedQuicklyAndNeverWritten) {
    // A value just under the limit still comes back whole.
    const QByteArray big(SettingsFile::kSizeLimit - 64, 'A');
    writeFile("[settings]\nlastcolor=" + big + "\n");
    SettingsFile near(m_path);
    EXPECT_TRUE(near.load());
    EXPECT_EQ(near.read(u"settings", u"lastcolor"), QString::fromLatin1(big));

    const QByteArray huge = "[settings]\nlastcolor=FF8000\n" + QByteArray(50 << 20, '\n');
    writeFile(huge);
    QElapsedTimer clock;
    clock.start();
    SettingsFile settings(m_path);
    EXPECT_FALSE(settings.load(&m_why));
    const qint64 loadMs = clock.elapsed();
    std::cout << "refusing a 50 MB file took " << loadMs << " ms\n";
    EXPECT_LT(loadMs, 500 * HUEPICK_TIME_SCALE);
    EXPECT_FALSE(m_why.isEmpty());
    EXPECT_EQ(settings.read(u"settings", u"lastcolor"), std::nullopt);
    EXPECT_EQ(settings.write(u"settings", u"lastcolor", u"00FF00"_s), Write::Failed);
    EXPECT_EQ(fileBytes(), huge);
}

}  // namespace
}  // namespace huepick
