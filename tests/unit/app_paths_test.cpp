#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
        ASSERT_TRUE(home_.isValid());
        old_home_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
        QCoreApplication::setApplicationName(QStringLiteral("huepick"));
    }
    void TearDown() override { qputenv("HOME", old_home_); }

    QTemporaryDir home_;
    QByteArray old_home_;
};

TEST_F(StorageLocationsTest, WritableFolderKeepsEverythingBesideTheProgram) {
    QTemporaryDir app;
    const StorageLocations places = StorageLocations::decide(app.path());
    EXPECT_EQ(places.ini_file, app.path() + "/huepick.ini");
    EXPECT_EQ(places.log_file, app.path() + "/huepick.html");
    EXPECT_EQ(places.help_file, app.path() + "/help.html");
}

TEST_F(StorageLocationsTest, SystemFolderUsesTheUsersFoldersEvenForRoot) {
    const StorageLocations places = StorageLocations::decide(QStringLiteral("/usr/bin"));
    EXPECT_EQ(places.ini_file, home_.path() + "/.config/huepick/huepick.ini");
    EXPECT_EQ(places.log_file, home_.path() + "/.local/share/huepick/huepick.html");
    // The folders exist, so the first write can create the files.
    EXPECT_TRUE(QDir(home_.path() + "/.config/huepick").exists());
    EXPECT_TRUE(QDir(home_.path() + "/.local/share/huepick").exists());
}

TEST_F(StorageLocationsTest, ReadOnlyFolderUsesTheUsersFolders) {
    QTemporaryDir app;
    ReadOnlyFolder read_only(app.path());
    if (!read_only.effective()) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    const StorageLocations places = StorageLocations::decide(app.path());
    EXPECT_EQ(places.ini_file, home_.path() + "/.config/huepick/huepick.ini");
}

TEST_F(StorageLocationsTest, HelpPageFallsBackToTheInstalledShareFolder) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/huepick"));
    QFile help(prefix.path() + "/share/huepick/help.html");
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    const StorageLocations places = StorageLocations::decide(prefix.path() + "/bin");
    EXPECT_EQ(places.help_file, prefix.path() + "/share/huepick/help.html");
}

}  // namespace
}  // namespace huepick
