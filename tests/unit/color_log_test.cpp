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

QByteArray record_for(const QByteArray& h) {
    return "\"<FONT FACE=arial SIZE=3 COLOR=" + h + "><B>" + h +
           "</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n";
}

QByteArray bytes_of(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(LogRecord, ExactBytes) {
    EXPECT_EQ(log_record(u"#FF8000"_s),
              QByteArray("\"<FONT FACE=arial SIZE=3 COLOR=#FF8000><B>#FF8000</B>&nbsp;&nbsp;"
                         "&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n"));
    const QByteArray green = log_record(u"#00FF00"_s);
    EXPECT_EQ(green.size(), 102);
    EXPECT_EQ(green, record_for("#00FF00"));
    // Whatever the user typed goes into both places unchanged.
    EXPECT_EQ(log_record(u"#12"_s), record_for("#12"));
    EXPECT_EQ(log_record(u"?ff80zz"_s), record_for("?ff80zz"));
    EXPECT_EQ(log_record(QString()), record_for(""));
}

TEST(LogRecord, MarkupCharactersAreWrittenAsEntities) {
    EXPECT_EQ(log_record(u"<b>&\"x"_s), record_for("&lt;b&gt;&amp;&quot;x"));
    EXPECT_EQ(log_record(u"#>>"_s), record_for("#&gt;&gt;"));
}

class ColorLogFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(u"huepick.html"_s);
    }
    QTemporaryDir dir_;
    QString path_;
};

TEST_F(ColorLogFile, EachExportAppendsOneRecord) {
    EXPECT_TRUE(append_log_record(path_, u"#FF8000"_s));
    EXPECT_TRUE(append_log_record(path_, u"#FF8000"_s));
    EXPECT_EQ(bytes_of(path_), record_for("#FF8000") + record_for("#FF8000"));
    EXPECT_TRUE(bytes_of(path_).startsWith('"'));
    EXPECT_TRUE(append_log_record(path_, u"#00FF00"_s));
    EXPECT_EQ(bytes_of(path_).size(), 2 * 102 + 102);
}

TEST_F(ColorLogFile, AppendsAfterWhatIsThere) {
    QFile f(path_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<HTML>no line end");
    f.close();
    EXPECT_TRUE(append_log_record(path_, u"#000000"_s));
    EXPECT_EQ(bytes_of(path_), "<HTML>no line end" + record_for("#000000"));
}

TEST_F(ColorLogFile, FailureLeavesTheFolderAndTheLogAsTheyWere) {
    const QString existing = dir_.filePath(u"old.html"_s);
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(record_for("#010203"));
        f.close();
        QFile::setPermissions(existing, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    {
        ReadOnlyFolder read_only(dir_.path());
        if (!read_only.effective()) {
            GTEST_SKIP() << "this file system lets us write into a read-only folder";
        }
        QString error;
        EXPECT_FALSE(append_log_record(path_, u"#FF8000"_s, &error));
        EXPECT_FALSE(error.isEmpty());
        error.clear();
        EXPECT_FALSE(append_log_record(existing, u"#FF8000"_s, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path_));
    EXPECT_EQ(bytes_of(existing), record_for("#010203"));
}

}  // namespace
}  // namespace huepick
