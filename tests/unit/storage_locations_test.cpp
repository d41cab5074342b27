// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/storage_locations.h"
#include "qt_print.h"
#include "read_only_folder.h"

namespace huepick {
namespace {

// The per-user folders go to a throwaway home so that the test never
// touches the real one.
class StorageLocationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
        QCoreApplication::setApplicationName(QStringLiteral("huepick"));
    }
    void TearDown() override { qputenv("HOME", m_oldHome); }

    QTemporaryDir m_home;
    QByteArray m_oldHome;
};

TEST_F(StorageLocationsTest, WritableFolderKeepsEverythingBesideTheProgram) {
    QTemporaryDir app;
    const StorageLocations places = StorageLocations::decide(app.path());
    EXPECT_EQ(places.settingsFile, app.path() + "/huepick.ini");
    EXPECT_EQ(places.logFile, app.path() + "/huepick.html");
    EXPECT_EQ(places.helpFile, app.path() + "/help.html");
}

TEST_F(StorageLocationsTest, SystemFolderUsesTheUsersFoldersEvenForRoot) {
    const StorageLocations places = StorageLocations::decide(QStringLiteral("/usr/bin"));
    EXPECT_EQ(places.settingsFile, m_home.path() + "/.config/huepick/huepick.ini");
    EXPECT_EQ(places.logFile, m_home.path() + "/.local/share/huepick/huepick.html");
    // The folders exist, so the first write can create the files.
    EXPECT_TRUE(QDir(m_home.path() + "/.config/huepick").exists());
    EXPECT_TRUE(QDir(m_home.path() + "/.local/share/huepick").exists());
}

TEST_F(StorageLocationsTest, ReadOnlyFolderUsesTheUsersFolders) {
    QTemporaryDir app;
    ReadOnlyFolder readOnly(app.path());
    if (!readOnly.effective()) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    const StorageLocations places = StorageLocations::decide(app.path());
    EXPECT_EQ(places.settingsFile, m_home.path() + "/.config/huepick/huepick.ini");
    EXPECT_EQ(places.logFile, m_home.path() + "/.local/share/huepick/huepick.html");
}

TEST_F(StorageLocationsTest, HelpPageFallsBackToTheInstalledShareFolder) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/huepick"));
    QFile help(prefix.path() + "/share/huepick/help.html");
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    const StorageLocations places = StorageLocations::decide(prefix.path() + "/bin");
    EXPECT_EQ(places.helpFile, prefix.path() + "/share/huepick/help.html");

    // A help page beside the program comes first.
    QFile beside(prefix.path() + "/bin/help.html");
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(StorageLocations::decide(prefix.path() + "/bin").helpFile,
              prefix.path() + "/bin/help.html");
}

}  // namespace
}  // namespace huepick
