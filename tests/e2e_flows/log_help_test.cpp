// The export, log and help buttons: the colour log's exact bytes, and what
// is handed to the desktop's "open" action (a fake xdg-open that records its
// arguments).
#include <gtest/gtest.h>

#include <QFile>
#include <QUrl>

#include "desk.h"
#include "harness/printers.h"
#include "harness/process.h"

namespace e2e {
namespace {

#define START(desk) ASSERT_TRUE((desk).start()) << (desk).error().toStdString()

QByteArray record_for(const char* hex) {
    return QByteArray("\"<FONT FACE=arial SIZE=3 COLOR=") + hex + "><B>" + hex +
           "</B>&nbsp;&nbsp;&nbsp;&nbsp;<FONT COLOR=#FFFFFF>\"\r\n\r\n";
}

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Each button acts on release, after its press; a press and release in place.
bool press_button(Desk& desk, QPoint button) {
    return desk.point_at(button) && desk.session().mouse_down(1) && desk.session().mouse_up(1);
}

TEST(ColourLog, EachExportAppendsOneRecordOfTheShownColour) {
    Desk desk({}, {.ini = ini_with_colour("FF8000")});
    START(desk);
    const QString log = desk.app().app_dir() + QStringLiteral("/huepick.html");
    const QByteArray orange = record_for("#FF8000");

    ASSERT_TRUE(press_button(desk, kExport));
    ASSERT_TRUE(poll_until([&] { return read_all(log) == orange; }, 3000))
        << read_all(log).toStdString();
    ASSERT_TRUE(press_button(desk, kExport));
    ASSERT_TRUE(poll_until([&] { return read_all(log) == orange + orange; }, 3000))
        << read_all(log).toStdString();

    ASSERT_TRUE(desk.type_into(kHexField, QStringLiteral("#00FF00")));
    ASSERT_TRUE(desk.session().key(QStringLiteral("Return")));
    ASSERT_TRUE(press_button(desk, kExport));
    const QByteArray green = record_for("#00FF00");
    ASSERT_EQ(green.size(), 102);
    EXPECT_TRUE(poll_until([&] { return read_all(log) == orange + orange + green; }, 3000))
        << read_all(log).toStdString();
}

// A stand-in for xdg-open: one line per call, the arguments joined by tabs.
class FakeOpener {
public:
    FakeOpener() {
        QFile script(folder_.file(QStringLiteral("xdg-open")));
        const QByteArray text =
            "#!/bin/sh\n"
            "line=\"$1\"; shift\n"
            "for a in \"$@\"; do line=\"$line\t$a\"; done\n"
            "printf '%s\\n' \"$line\" >> '" +
            calls_path().toLocal8Bit() + "'\n";
        ok_ = script.open(QIODevice::WriteOnly) && script.write(text) == text.size();
        script.close();
        ok_ = ok_ && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return ok_ && folder_.ok(); }
    QString folder() const { return folder_.path(); }
    QString calls_path() const { return folder_.file(QStringLiteral("calls")); }
    QStringList calls() const {
        return QString::fromLocal8Bit(read_all(calls_path())).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    TempDir folder_{QStringLiteral("opener")};
    bool ok_ = false;
};

// What the opener was given for a file: Qt hands on a file:// URL.
QString opened(const QString& path) {
    return QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
}

TEST(LogAndHelp, ButtonsOpenTheFilesOfTheApplicationFolder) {
    FakeOpener opener;
    ASSERT_TRUE(opener.ok());
    Desk desk({}, {.ini = ini_with_colour("FF8000"), .path_prefix = opener.folder()});
    START(desk);
    const QString dir = desk.app().app_dir();

    // No log yet: nothing to open. The help page, pressed next, shows that
    // the first press has been handled.
    ASSERT_TRUE(press_button(desk, kLog));
    ASSERT_TRUE(press_button(desk, kHelp));
    ASSERT_TRUE(poll_until([&] { return !opener.calls().isEmpty(); }, 5000))
        << "the help button opened nothing";
    EXPECT_EQ(opener.calls(), QStringList{opened(dir + QStringLiteral("/help.html"))});

    ASSERT_TRUE(press_button(desk, kExport));
    ASSERT_TRUE(
        poll_until([&] { return QFile::exists(dir + QStringLiteral("/huepick.html")); }, 3000));
    ASSERT_TRUE(press_button(desk, kLog));
    ASSERT_TRUE(poll_until([&] { return opener.calls().size() >= 2; }, 5000))
        << "the log button opened nothing after an export";
    EXPECT_EQ(opener.calls(), (QStringList{opened(dir + QStringLiteral("/help.html")),
                                           opened(dir + QStringLiteral("/huepick.html"))}));

    EXPECT_TRUE(desk.app().running());
    EXPECT_EQ(desk.app().stderr_text(), QString());
}

}  // namespace
}  // namespace e2e
