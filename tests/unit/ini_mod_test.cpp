#include "core/ini_mod.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <iostream>

#include "core/profile_file.h"
#include "qt_print.h"
#include "read_only_folder.h"

namespace huepick {
namespace {

using namespace Qt::StringLiterals;

class IniModTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("huepick.ini"));
    }

    void write_file(const QByteArray& bytes) {
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray file_bytes() const {
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString read_fresh(const QString& section, const QString& key, const QString& fallback) {
        IniMod fresh;
        fresh.ini_set_file(path_);
        return fresh.ini_read(section, key, fallback);
    }

    QTemporaryDir dir_;
    QString path_;
    IniMod ini_;
};

TEST_F(IniModTest, AbsentFileGivesDefaultAndWriteCreatesIt) {
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"000000"_s);
    EXPECT_FALSE(QFile::exists(path_));
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"FF8000"_s), 0);
    EXPECT_EQ(file_bytes(), QByteArray("[settings]\nlastcolor=FF8000\n"));
}

TEST_F(IniModTest, ReadTrimsTheValueAndIgnoresLetterCase) {
    write_file("[SETTINGS]\nLastColor=  FF8000  \n");
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"FF8000"_s);
    EXPECT_EQ(read_fresh(u"Settings"_s, u"LASTCOLOR"_s, u"x"_s), u"FF8000"_s);
    // Writing through other letter cases replaces the same line.
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"00FF00"_s), 0);
    EXPECT_EQ(file_bytes(), QByteArray("[SETTINGS]\nLastColor=00FF00\n"));
}

TEST_F(IniModTest, WriteKeepsEveryOtherByteOfTheFile) {
    const QByteArray before =
        "; written by hand\r\n"
        "\r\n"
        "[other]\r\n"
        "lastcolor=111111\r\n"
        "  # a comment  \r\n"
        "\r\n"
        "[Settings]\r\n"
        "foo = bar\r\n"
        "lastcolor=000000\r\n"
        "\r\n"
        "[tail]\r\n"
        "x=y";
    write_file(before);
    ini_.ini_set_file(path_);
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"FF8000"_s), 0);
    QByteArray expected = before;
    expected.replace("lastcolor=000000", "lastcolor=FF8000");
    EXPECT_EQ(file_bytes(), expected);
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, {}), u"FF8000"_s);
    EXPECT_EQ(read_fresh(u"other"_s, u"lastcolor"_s, {}), u"111111"_s);
    EXPECT_EQ(read_fresh(u"tail"_s, u"x"_s, {}), u"y"_s);
}

TEST_F(IniModTest, NewKeyJoinsItsSectionWithTheFilesLineEnds) {
    write_file("[settings]\r\nfoo=1\r\n\r\n[tail]\r\nx=y\r\n");
    ini_.ini_set_file(path_);
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"ABCDEF"_s), 0);
    EXPECT_EQ(file_bytes(),
              QByteArray("[settings]\r\nfoo=1\r\nlastcolor=ABCDEF\r\n\r\n[tail]\r\nx=y\r\n"));

    write_file("[other]\nx=1");  // no line end at the end
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"ABCDEF"_s), 0);
    EXPECT_EQ(file_bytes(), QByteArray("[other]\nx=1\n[settings]\nlastcolor=ABCDEF\n"));

    write_file("[settings]\nfoo=1");
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"ABCDEF"_s), 0);
    EXPECT_EQ(file_bytes(), QByteArray("[settings]\nfoo=1\nlastcolor=ABCDEF\n"));
}

TEST_F(IniModTest, LongValuesAreReadWholeInGrowingPasses) {
    const struct {
        int length;
        int passes;
    } cases[] = {{510, 1}, {511, 2}, {600, 2}, {1023, 3}, {5000, 10}};
    for (const auto& c : cases) {
        const QByteArray value(c.length, 'A');
        write_file("[settings]\nlastcolor=" + value + "\n");
        IniMod ini;
        ini.ini_set_file(path_);
        EXPECT_EQ(ini.ini_read(u"settings"_s, u"lastcolor"_s, {}), QString::fromLatin1(value))
            << c.length;
        EXPECT_EQ(ini.file_reads(), c.passes) << c.length;
    }
}

TEST_F(IniModTest, SecondReadComesFromTheCache) {
    write_file("[settings]\nlastcolor=FF8000\n");
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"FF8000"_s);
    EXPECT_EQ(ini_.file_reads(), 1);

    write_file("[settings]\nlastcolor=111111\n");
    EXPECT_EQ(ini_.ini_read(u"SETTINGS"_s, u"LastColor"_s, u"000000"_s), u"FF8000"_s);
    EXPECT_NE(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"222222"_s), 0);
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"FF8000"_s);
    EXPECT_EQ(ini_.file_reads(), 1);
    EXPECT_EQ(ini_.cache_count(), 1);
    // The write did reach the file.
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, {}), u"222222"_s);

    // A new file name keeps the cache.
    ini_.ini_set_file(dir_.filePath(u"other.ini"_s));
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"FF8000"_s);
}

TEST_F(IniModTest, EmptyResultsAreReadAgainAndAppendedEachTime) {
    write_file("[settings]\nempty=\n");
    ini_.ini_set_file(path_);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(ini_.ini_read(u"settings"_s, u"empty"_s, u"unused"_s), QString());
        EXPECT_EQ(ini_.file_reads(), i);
        EXPECT_EQ(ini_.cache_count(), i);
    }
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"missing"_s, u"  "_s), QString());
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"missing"_s, QString()), QString());
    EXPECT_EQ(ini_.file_reads(), 5);
    EXPECT_EQ(ini_.cache_count(), 5);
}

TEST_F(IniModTest, CacheGrowsInStepsOfTwentyKeepingEntries) {
    QByteArray file = "[s]\n";
    for (int i = 0; i < 25; ++i) {
        file += "key" + QByteArray::number(i) + "=v" + QByteArray::number(i) + "\n";
    }
    write_file(file);
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.cache_count(), 0);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(ini_.ini_read(u"s"_s, u"key%1"_s.arg(i), {}), u"v%1"_s.arg(i));
        EXPECT_EQ(ini_.cache_highest_index(), 20) << i;
    }
    EXPECT_EQ(ini_.ini_read(u"s"_s, u"key20"_s, {}), u"v20"_s);
    EXPECT_EQ(ini_.cache_count(), 21);
    EXPECT_EQ(ini_.cache_highest_index(), 40);
    for (int i = 0; i < 21; ++i) {
        const IniCacheEntry& entry = ini_.cache()[i];
        EXPECT_EQ(entry.section, u"S"_s.leftJustified(40, u' '));
        EXPECT_EQ(entry.key, u"KEY%1"_s.arg(i).leftJustified(40, u' '));
        EXPECT_EQ(entry.value, u"v%1"_s.arg(i));
    }
    // Everything cached is answered without another read.
    const int reads = ini_.file_reads();
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(ini_.ini_read(u"s"_s, u"KEY%1"_s.arg(i), {}), u"v%1"_s.arg(i));
    }
    EXPECT_EQ(ini_.file_reads(), reads);
}

TEST_F(IniModTest, NamesAgreeingInTheirFirstFortyCharactersAreOneToTheCache) {
    const QString long_key = QString(40, u'k');
    write_file("[s]\n" + long_key.toLatin1() + "x=first\n" + long_key.toLatin1() + "y=second\n");
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.ini_read(u"s"_s, long_key + u'x', {}), u"first"_s);
    EXPECT_EQ(ini_.ini_read(u"s"_s, long_key + u'y', {}), u"first"_s);
    EXPECT_EQ(ini_.file_reads(), 1);
}

TEST_F(IniModTest, BlankValuesAreNotWritten) {
    const QByteArray before = "[settings]\nlastcolor=FF8000\n";
    write_file(before);
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.ini_write(u"settings"_s, u"lastcolor"_s, QString()), 0);
    EXPECT_EQ(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"   "_s), 0);
    EXPECT_EQ(ini_.ini_write(u"settings"_s, u"  "_s, u"00FF00"_s), 0);
    EXPECT_EQ(ini_.ini_write(u" "_s, u"lastcolor"_s, u"00FF00"_s), 0);
    EXPECT_EQ(file_bytes(), before);
}

TEST_F(IniModTest, BeforeAFileIsNamedNothingIsTouched) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"  000000  "_s), u"000000"_s);
    EXPECT_EQ(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"FF8000"_s), 0);
    EXPECT_EQ(ini_.file_reads(), 0);
    EXPECT_EQ(ini_.cache_count(), 0);
    EXPECT_TRUE(QDir(dir_.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QDir::setCurrent(previous);
}

TEST_F(IniModTest, FailedWriteLeavesTheOldFileWhole) {
    const QByteArray before = "[settings]\nlastcolor=FF8000\n";
    write_file(before);
    ini_.ini_set_file(path_);
    {
        ReadOnlyFolder read_only(dir_.path());
        if (!read_only.effective()) {
            GTEST_SKIP() << "this file system lets us write into a read-only folder";
        }
        EXPECT_EQ(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"00FF00"_s), 0);
    }
    EXPECT_EQ(file_bytes(), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"huepick.ini"_s});
}

TEST_F(IniModTest, DirectoryInPlaceOfTheFile) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"huepick.ini"_s));
    ini_.ini_set_file(path_);
    EXPECT_EQ(ini_.ini_read(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"000000"_s);
    EXPECT_EQ(ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"FF8000"_s), 0);
    EXPECT_TRUE(QFileInfo(path_).isDir());
}

TEST_F(IniModTest, GarbageFilesReadWithoutHarm) {
    QRandomGenerator random(20240601);
    for (int round = 0; round < 20; ++round) {
        QByteArray noise(4096, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random.bounded(256));
        }
        noise.replace('[', '(');  // no accidental section header
        write_file(noise);
        EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"000000"_s);
        // The key after the noise is still found.
        write_file(noise + "\n[settings]\nlastcolor=ABCDEF\n" + noise.left(100));
        EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"ABCDEF"_s);
    }
    // A NUL inside the value ends it.
    QByteArray with_nul("[settings]\nlastcolor=AB");
    with_nul.append('\0').append("CD\n");
    write_file(with_nul);
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"AB"_s);
    // Line ends of every kind, and none at the end.
    write_file("[settings]\r\nlastcolor=FF8000\r\n");
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, {}), u"FF8000"_s);
    write_file("[settings]\nlastcolor=FF8000");
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, {}), u"FF8000"_s);
    write_file("[settings");
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"000000"_s);
    write_file("");
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"000000"_s);
}

TEST_F(IniModTest, HugeLinesReadQuickly) {
    const QByteArray huge(10 * 1024 * 1024, 'A');
    QElapsedTimer clock;

    // A 10 MB value: some long run of it comes back.
    write_file("[settings]\nlastcolor=" + huge + "\n");
    clock.start();
    const QString value = read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s);
    const qint64 value_ms = clock.elapsed();
    EXPECT_GE(value.size(), 512);
    EXPECT_LE(value.size(), huge.size());
    EXPECT_EQ(value, QString(value.size(), u'A'));

    // A 10 MB line without any line end and no section: the default.
    write_file(huge);
    clock.start();
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"000000"_s);
    const qint64 noise_ms = clock.elapsed();

    // A 10 MB comment before the key.
    write_file("[settings]\n;" + huge + "\nlastcolor=FF8000\n");
    clock.start();
    EXPECT_EQ(read_fresh(u"settings"_s, u"lastcolor"_s, u"000000"_s), u"FF8000"_s);
    const qint64 comment_ms = clock.elapsed();

    std::cout << "10 MB line: value " << value_ms << " ms, no section " << noise_ms
              << " ms, comment " << comment_ms << " ms\n";
    EXPECT_LT(value_ms, 2000 * HUEPICK_TIME_SCALE);
    EXPECT_LT(noise_ms, 1000 * HUEPICK_TIME_SCALE);
    EXPECT_LT(comment_ms, 1000 * HUEPICK_TIME_SCALE);
}

TEST_F(IniModTest, LineBreaksInAWrittenValueCannotPlantKeysOrSections) {
    write_file("[settings]\nlastcolor=FF8000\n");
    ini_.ini_set_file(path_);
    ini_.ini_write(u"settings"_s, u"lastcolor"_s, u"00FF00\n[evil]\nx=1\r\ny=2"_s);
    ini_.ini_write(u"settings"_s, u"other\nkey"_s, u"1"_s);
    ini_.ini_write(u"set\r\n[tings"_s, u"k"_s, u"1"_s);
    EXPECT_EQ(read_fresh(u"evil"_s, u"x"_s, u"none"_s), u"none"_s);
    EXPECT_EQ(read_fresh(u"settings"_s, u"y"_s, u"none"_s), u"none"_s);
    EXPECT_EQ(read_fresh(u"settings"_s, u"key"_s, u"none"_s), u"none"_s);
    EXPECT_EQ(read_fresh(u"tings"_s, u"k"_s, u"none"_s), u"none"_s);
    EXPECT_TRUE(read_fresh(u"settings"_s, u"lastcolor"_s, {}).startsWith(u"00FF00"));
    const QByteArray bytes = file_bytes();
    EXPECT_EQ(bytes.count("[settings]"), 1) << bytes.toStdString();
    EXPECT_EQ(bytes.count("lastcolor"), 1) << bytes.toStdString();
}

TEST(ProfileGetString, LeavesTheBufferAfterTheNulAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"p.ini"_s);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[a]\nb = xyz \n");
    f.close();

    QByteArray buffer(16, '.');
    EXPECT_EQ(profile::get_string("A", "B", "dflt", buffer, path), 3);
    EXPECT_EQ(buffer, QByteArray("xyz\0............", 16));

    buffer = QByteArray(4, '.');
    EXPECT_EQ(profile::get_string("a", "b", "dflt", buffer, path), 3);
    EXPECT_EQ(buffer, QByteArray("xyz\0", 4));

    buffer = QByteArray(3, '.');
    EXPECT_EQ(profile::get_string("a", "b", "dflt", buffer, path), 2);
    EXPECT_EQ(buffer, QByteArray("xy\0", 3));

    buffer = QByteArray(8, '.');
    EXPECT_EQ(profile::get_string("a", "missing", "  dflt ", buffer, path), 4);
    EXPECT_EQ(buffer, QByteArray("dflt\0...", 8));
}

}  // namespace
}  // namespace huepick
