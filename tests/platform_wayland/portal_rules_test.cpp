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
        ASSERT_TRUE(m_base.isValid());
        m_temp = QDir(m_base.path()).canonicalPath() + QStringLiteral("/tmp");
        m_other = QDir(m_base.path()).canonicalPath() + QStringLiteral("/other");
        ASSERT_TRUE(QDir().mkpath(m_temp + QStringLiteral("/deeper")));
        ASSERT_TRUE(QDir().mkpath(m_other));
        for (const QString& f : {inside(), m_temp + QStringLiteral("/deeper/b.png"), outside()}) {
            QFile file(f);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    QString inside() const { return m_temp + QStringLiteral("/a.png"); }
    QString outside() const { return m_other + QStringLiteral("/a.png"); }
    bool disposable(const QString& file) const { return isDisposable(file, {m_temp}); }

    QTemporaryDir m_base;
    QString m_temp;
    QString m_other;
};

TEST_F(Disposable, FilesBelowATemporaryFolderAreDisposable) {
    EXPECT_TRUE(disposable(inside()));
    EXPECT_TRUE(disposable(m_temp + QStringLiteral("/deeper/b.png")));
    EXPECT_TRUE(disposable(m_temp + QStringLiteral("/deeper/../a.png")));
}

TEST_F(Disposable, NothingElseIs) {
    EXPECT_FALSE(disposable(outside()));
    EXPECT_FALSE(disposable(m_temp + QStringLiteral("/../other/a.png")));
    EXPECT_FALSE(disposable(m_temp + QStringLiteral("/missing.png")));
    EXPECT_FALSE(disposable(m_temp));                                           // the folder itself
    EXPECT_FALSE(disposable(QStringLiteral("tmp/a.png")));                      // relative
    EXPECT_FALSE(isDisposable(outside(), {m_other.left(m_other.size() - 2)}));  // name prefix
    EXPECT_FALSE(isDisposable(outside(), {QStringLiteral("/")}));
    EXPECT_FALSE(isDisposable(outside(), {}));
}

TEST_F(Disposable, LinksCountWhereTheyLead) {
    const QString intoOther = m_temp + QStringLiteral("/link.png");
    ASSERT_TRUE(QFile::link(outside(), intoOther));
    EXPECT_FALSE(disposable(intoOther));
    const QString folderLink = m_temp + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QFile::link(m_other, folderLink));
    EXPECT_FALSE(disposable(folderLink + QStringLiteral("/a.png")));
    const QString intoTemp = m_other + QStringLiteral("/to_temp.png");
    ASSERT_TRUE(QFile::link(inside(), intoTemp));
    EXPECT_TRUE(disposable(intoTemp));
}

// The folders come from the environment; restore it afterwards.
class TemporaryFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_base.isValid());
        for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR", "HOME", "XDG_CACHE_HOME"}) {
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        }
        m_root = QDir(m_base.path()).canonicalPath();
        for (const char* sub : {"tmp", "run", "home", "cache"}) {
            ASSERT_TRUE(QDir().mkpath(m_root + u'/' + QLatin1String(sub)));
        }
        qputenv("TMPDIR", (m_root + QStringLiteral("/tmp")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (m_root + QStringLiteral("/run")).toLocal8Bit());
        qputenv("HOME", (m_root + QStringLiteral("/home")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (m_root + QStringLiteral("/cache")).toLocal8Bit());
    }
    void TearDown() override {
        for (const auto& s : m_saved) {
            if (s.wasSet) {
                qputenv(s.name, s.value);
            } else {
                qunsetenv(s.name);
            }
        }
    }
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
    QTemporaryDir m_base;
    QString m_root;
};

TEST_F(TemporaryFolders, AreTheTemporaryRuntimeAndCacheFolders) {
    const QStringList folders = temporaryFolders();
    EXPECT_TRUE(folders.contains(m_root + QStringLiteral("/tmp")));
    EXPECT_TRUE(folders.contains(m_root + QStringLiteral("/run")));
    EXPECT_TRUE(folders.contains(m_root + QStringLiteral("/cache")));
    EXPECT_FALSE(folders.contains(m_root + QStringLiteral("/home")));
}

TEST_F(TemporaryFolders, NeverTheRootOrTheHomeFolder) {
    qputenv("TMPDIR", "/");
    qputenv("XDG_RUNTIME_DIR", (m_root + QStringLiteral("/home")).toLocal8Bit());
    const QStringList folders = temporaryFolders();
    EXPECT_FALSE(folders.contains(QStringLiteral("/")));
    EXPECT_FALSE(folders.contains(m_root + QStringLiteral("/home")));
    EXPECT_FALSE(isDisposable(m_root + QStringLiteral("/home/x"), folders));
}

}  // namespace
}  // namespace huepick::portal
