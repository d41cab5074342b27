// SPDX-License-Identifier: MIT
// The export, log and help buttons: the colour log's exact bytes, and what
// is handed to the desktop's "open" action (a fake xdg-open that records its
// arguments).
#include <gtest/gtest.h>

#include <QFile>
#include <QUrl>

#include "harness/desk.h"
#include "harness/files.h"
#include "harness/printers.h"
#include "harness/process.h"

namespace e2e {
namespace {

#define START(desk) ASSERT_TRUE((desk).open()) << (desk).error().toStdString()

QByteArray recordFor(const char* hex) {
    return QByteArray("\"<FONT FACE=arial SIZE=3 COLOR=") + hex + "><B>" + hex +
           "</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n";
}

TEST(ColourLog, EachExportAppendsOneRecordOfTheShownColour) {
    Desk desk({}, {.ini = iniWithColour("FF8000")});
    START(desk);
    const QString log = desk.appDir() + QStringLiteral("/huepick.html");
    const QByteArray orange = recordFor("#FF8000");

    ASSERT_TRUE(desk.click(Role::ExportButton));
    ASSERT_TRUE(pollUntil([&] { return readFile(log) == orange; }, 3000))
        << readFile(log).value_or(QByteArray()).toStdString();
    ASSERT_TRUE(desk.click(Role::ExportButton));
    ASSERT_TRUE(pollUntil([&] { return readFile(log) == orange + orange; }, 3000))
        << readFile(log).value_or(QByteArray()).toStdString();

    ASSERT_TRUE(desk.typeInto(Role::HexField, QStringLiteral("#00FF00")));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Return")));
    ASSERT_TRUE(desk.click(Role::ExportButton));
    const QByteArray green = recordFor("#00FF00");
    ASSERT_EQ(green.size(), 102);
    EXPECT_TRUE(pollUntil([&] { return readFile(log) == orange + orange + green; }, 3000))
        << readFile(log).value_or(QByteArray()).toStdString();
}

// A stand-in for xdg-open: one line per call, the arguments joined by tabs.
class FakeOpener {
public:
    FakeOpener() {
        const QString script = m_folder.file(QStringLiteral("xdg-open"));
        const QByteArray text =
            "#!/bin/sh\n"
            "line=\"$1\"; shift\n"
            "for a in \"$@\"; do line=\"$line\t$a\"; done\n"
            "printf '%s\\n' \"$line\" >> '" +
            callsPath().toLocal8Bit() + "'\n";
        m_ok =
            writeFile(script, text) &&
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return m_ok && m_folder.ok(); }
    QString folder() const { return m_folder.path(); }
    QString callsPath() const { return m_folder.file(QStringLiteral("calls")); }
    QStringList calls() const {
        return QString::fromLocal8Bit(readFile(callsPath()).value_or(QByteArray()))
            .split(u'\n', Qt::SkipEmptyParts);
    }

private:
    TempDir m_folder{QStringLiteral("opener")};
    bool m_ok = false;
};

// What the opener was given for a file: Qt hands on a file:// URL.
QString opened(const QString& path) {
    return QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
}

TEST(LogAndHelp, ButtonsOpenTheFilesOfTheApplicationFolder) {
    FakeOpener opener;
    ASSERT_TRUE(opener.ok());
    Desk desk({}, {.ini = iniWithColour("FF8000"), .pathPrefix = opener.folder()});
    START(desk);
    const QString dir = desk.appDir();

    // No log yet: nothing to open. The help page, pressed next, shows that
    // the first press has been handled.
    ASSERT_TRUE(desk.click(Role::LogButton));
    ASSERT_TRUE(desk.click(Role::HelpButton));
    ASSERT_TRUE(pollUntil([&] { return !opener.calls().isEmpty(); }, 5000))
        << "the help button opened nothing";
    EXPECT_EQ(opener.calls(), QStringList{opened(dir + QStringLiteral("/help.html"))});

    ASSERT_TRUE(desk.click(Role::ExportButton));
    ASSERT_TRUE(
        pollUntil([&] { return QFile::exists(dir + QStringLiteral("/huepick.html")); }, 3000));
    ASSERT_TRUE(desk.click(Role::LogButton));
    ASSERT_TRUE(pollUntil([&] { return opener.calls().size() >= 2; }, 5000))
        << "the log button opened nothing after an export";
    EXPECT_EQ(opener.calls(), (QStringList{opened(dir + QStringLiteral("/help.html")),
                                           opened(dir + QStringLiteral("/huepick.html"))}));

    EXPECT_TRUE(desk.running());
    EXPECT_EQ(desk.stderrText(), QString());
}

}  // namespace
}  // namespace e2e
