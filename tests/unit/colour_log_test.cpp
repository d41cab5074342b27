// SPDX-License-Identifier: MIT
#include "core/colour_log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "qt_print.h"
#include "read_only_folder.h"

namespace huepick {
namespace {

using namespace Qt::StringLiterals;

QByteArray recordFor(const QByteArray& h) {
    return "\"<FONT FACE=arial SIZE=3 COLOR=" + h + "><B>" + h +
           "</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n";
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(LogRecord, ExactBytes) {
    EXPECT_EQ(logRecord(u"#FF8000"_s),
              QByteArray("\"<FONT FACE=arial SIZE=3 COLOR=#FF8000><B>#FF8000</B>&nbsp;&nbsp;"
                         "&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n"));
    const QByteArray green = logRecord(u"#00FF00"_s);
    EXPECT_EQ(green.size(), 102);
    EXPECT_EQ(green, recordFor("#00FF00"));
    // Whatever the user typed goes into both places unchanged.
    EXPECT_EQ(logRecord(u"#12"_s), recordFor("#12"));
    EXPECT_EQ(logRecord(u"?ff80zz"_s), recordFor("?ff80zz"));
    EXPECT_EQ(logRecord(QString()), recordFor(""));
}

TEST(LogRecord, MarkupCharactersAreWrittenAsEntities) {
    EXPECT_EQ(logRecord(u"<b>&\"x"_s), recordFor("&lt;b&gt;&amp;&quot;x"));
    EXPECT_EQ(logRecord(u"#>>"_s), recordFor("#&gt;&gt;"));
}

class ColourLogFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(u"huepick.html"_s);
    }
    QTemporaryDir m_dir;
    QString m_path;
    QString m_why;
};

TEST_F(ColourLogFile, EachExportAppendsOneRecord) {
    EXPECT_TRUE(appendLogRecord(m_path, u"#FF8000"_s, &m_why)) << m_why.toStdString();
    EXPECT_TRUE(appendLogRecord(m_path, u"#FF8000"_s, &m_why)) << m_why.toStdString();
    EXPECT_EQ(bytesOf(m_path), recordFor("#FF8000") + recordFor("#FF8000"));
    EXPECT_TRUE(bytesOf(m_path).startsWith('"'));
    EXPECT_TRUE(appendLogRecord(m_path, u"#00FF00"_s, &m_why)) << m_why.toStdString();
    EXPECT_EQ(bytesOf(m_path).size(), 2 * 102 + 102);
}

TEST_F(ColourLogFile, AppendsAfterWhatIsThere) {
    QFile f(m_path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<HTML>no line end");
    f.close();
    EXPECT_TRUE(appendLogRecord(m_path, u"#000000"_s, &m_why)) << m_why.toStdString();
    EXPECT_EQ(bytesOf(m_path), "<HTML>no line end" + recordFor("#000000"));
}

TEST_F(ColourLogFile, FailureLeavesTheFolderAndTheLogAsTheyWere) {
    const QString existing = m_dir.filePath(u"old.html"_s);
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(recordFor("#010203"));
        f.close();
        QFile::setPermissions(existing, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    {
        ReadOnlyFolder readOnly(m_dir.path());
        if (!readOnly.effective()) {
            GTEST_SKIP() << "this file system lets us write into a read-only folder";
        }
        QString error;
        EXPECT_FALSE(appendLogRecord(m_path, u"#FF8000"_s, &error));
        EXPECT_FALSE(error.isEmpty());
        error.clear();
        EXPECT_FALSE(appendLogRecord(existing, u"#FF8000"_s, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(m_path));
    EXPECT_EQ(bytesOf(existing), recordFor("#010203"));
}

TEST_F(ColourLogFile, AFolderInPlaceOfTheLogIsRefused) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"huepick.html"_s));
    EXPECT_FALSE(appendLogRecord(m_path, u"#FF8000"_s, &m_why));
    EXPECT_FALSE(m_why.isEmpty());
    EXPECT_TRUE(QDir(m_path).isEmpty());
}

}  // namespace
}  // namespace huepick
