// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <climits>

#include "platform/wayland/portal_rules.h"

namespace huepick::portal {
namespace {

TEST(RequestPath, ComesFromTheUniqueNameWithoutColonAndDotsAsUnderscores) {
    EXPECT_EQ(requestPath(QStringLiteral(":1.42"), QStringLiteral("huepick1_ab")),
              QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/huepick1_ab"));
    EXPECT_EQ(requestPath(QStringLiteral(":12.3456"), QStringLiteral("t")),
              QStringLiteral("/org/freedesktop/portal/desktop/request/12_3456/t"));
}

TEST(RequestPath, TokensAreValidPathElementsAndNeverRepeat) {
    const QRegularExpression element(QStringLiteral("^[A-Za-z0-9_]+$"));
    QStringList seen;
    for (int i = 0; i < 50; ++i) {
        const QString token = newToken();
        EXPECT_TRUE(element.match(token).hasMatch()) << token.toStdString();
        EXPECT_FALSE(seen.contains(token));
        seen << token;
    }
}

TEST(ResponseCode, ZeroSucceedsOneIsACancelAnythingElseFails) {
    EXPECT_EQ(responseKind(0), Response::Success);
    EXPECT_EQ(responseKind(1), Response::Cancelled);
    for (uint code : {2u, 3u, 99u, UINT_MAX}) {
        EXPECT_EQ(responseKind(code), Response::Failed) << code;
        EXPECT_TRUE(responseError(code).contains(QString::number(code)));
        EXPECT_FALSE(responseError(code).contains(u'\n'));
    }
}

// A temporary folder with one screenshot inside and one file outside it.
class Disposable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(base_.isValid());
        temp_ = QDir(base_.path()).canonicalPath() + QStringLiteral("/tmp");
        other_ = QDir(base_.path()).canonicalPath() + QStringLiteral("/other");
        ASSERT_TRUE(QDir().mkpath(temp_ + QStringLiteral("/deeper")));
        ASSERT_TRUE(QDir().mkpath(other_));
        for (const QString& f : {inside(), temp_ + QStringLiteral("/deeper/b.png"), outside()}) {
            QFile file(f);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QString inside() const { return temp_ + QStringLiteral("/a.png"); }
    QString outside() const { return other_ + QStringLiteral("/a.png"); }
    bool disposable(const QString& file) const { return isDisposable(file, {temp_}); }

    QTemporaryDir base_;
    QString temp_;
    QString other_;
};

TEST_F(Disposable, FilesBelowATemporaryFolderAreDisposable) {
    EXPECT_TRUE(disposable(inside()));
    EXPECT_TRUE(disposable(temp_ + QStringLiteral("/deeper/b.png")));
    EXPECT_TRUE(disposable(temp_ + QStringLiteral("/deeper/../a.png")));
}

TEST_F(Disposable, NothingElseIs) {
    EXPECT_FALSE(disposable(outside()));
    EXPECT_FALSE(disposable(temp_ + QStringLiteral("/../other/a.png")));
    EXPECT_FALSE(disposable(temp_ + QStringLiteral("/missing.png")));
    EXPECT_FALSE(disposable(temp_));                                          // the folder itself
    EXPECT_FALSE(disposable(QStringLiteral("tmp/a.png")));                    // relative
    EXPECT_FALSE(isDisposable(outside(), {other_.left(other_.size() - 2)}));  // name prefix
    EXPECT_FALSE(isDisposable(outside(), {QStringLiteral("/")}));
    EXPECT_FALSE(isDisposable(outside(), {}));
}

TEST_F(Disposable, LinksCountWhereTheyLead) {
    const QString into_other = temp_ + QStringLiteral("/link.png");
    ASSERT_TRUE(QFile::link(outside(), into_other));
    EXPECT_FALSE(disposable(into_other));
    const QString folder_link = temp_ + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QFile::link(other_, folder_link));
    EXPECT_FALSE(disposable(folder_link + QStringLiteral("/a.png")));
    const QString into_temp = other_ + QStringLiteral("/to_temp.png");
    ASSERT_TRUE(QFile::link(inside(), into_temp));
    EXPECT_TRUE(disposable(into_temp));
}

// The folders come from the environment; restore it afterwards.
class TemporaryFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(base_.isValid());
        for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR", "HOME", "XDG_CACHE_HOME"}) {
            saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        }
        root_ = QDir(base_.path()).canonicalPath();
        for (const char* sub : {"tmp", "run", "home", "cache"}) {
            ASSERT_TRUE(QDir().mkpath(root_ + u'/' + QLatin1String(sub)));
        }
        qputenv("TMPDIR", (root_ + QStringLiteral("/tmp")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (root_ + QStringLiteral("/run")).toLocal8Bit());
        qputenv("HOME", (root_ + QStringLiteral("/home")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (root_ + QStringLiteral("/cache")).toLocal8Bit());
    }
    void TearDown() override {
        for (const auto& s : saved_) {
            if (s.was_set) {
                qputenv(s.name, s.value);
            } else {
                qunsetenv(s.name);
            }
        }
    }
    struct Saved {
        const char* name;
        QByteArray value;
        bool was_set;
    };
    QList<Saved> saved_;
    QTemporaryDir base_;
    QString root_;
};

TEST_F(TemporaryFolders, AreTheTemporaryRuntimeAndCacheFolders) {
    const QStringList folders = temporaryFolders();
    EXPECT_TRUE(folders.contains(root_ + QStringLiteral("/tmp")));
    EXPECT_TRUE(folders.contains(root_ + QStringLiteral("/run")));
    EXPECT_TRUE(folders.contains(root_ + QStringLiteral("/cache")));
    EXPECT_FALSE(folders.contains(root_ + QStringLiteral("/home")));
}

TEST_F(TemporaryFolders, NeverTheRootOrTheHomeFolder) {
    qputenv("TMPDIR", "/");
    qputenv("XDG_RUNTIME_DIR", (root_ + QStringLiteral("/home")).toLocal8Bit());
    const QStringList folders = temporaryFolders();
    EXPECT_FALSE(folders.contains(QStringLiteral("/")));
    EXPECT_FALSE(folders.contains(root_ + QStringLiteral("/home")));
    EXPECT_FALSE(isDisposable(root_ + QStringLiteral("/home/x"), folders));
}

}  // namespace
}  // namespace huepick::portal
