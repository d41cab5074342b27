// SPDX-License-Identifier: MIT
// The settings file's text, read and edited in place: what a user who edits
// the file by hand sees of it after the program has written its colour.
#include "core/ini_document.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "qt_print.h"

namespace huepick {
namespace {

using Value = std::optional<QByteArray>;

TEST(IniDocument, ValuesAreTrimmedAndNamesIgnoreLetterCase) {
    const IniDocument doc(
        "[SETTINGS]\n"
        "LastColor=  FF8000 \t\n"
        "empty=\n"
        "  spaced  =  x y  \n"
        "[ other ]\n"
        "k=1\n");
    EXPECT_EQ(doc.value("settings", "lastcolor"), Value("FF8000"));
    EXPECT_EQ(doc.value("Settings", "LASTCOLOR"), Value("FF8000"));
    EXPECT_EQ(doc.value("settings", "empty"), Value(""));
    EXPECT_EQ(doc.value("settings", "spaced"), Value("x y"));
    EXPECT_EQ(doc.value("other", "k"), Value("1"));
    EXPECT_EQ(doc.value("settings", "k"), std::nullopt);
    EXPECT_EQ(doc.value("missing", "lastcolor"), std::nullopt);
}

TEST(IniDocument, CommentsAndOtherSectionsHoldNoKeysOfTheSection) {
    const IniDocument doc(
        "lastcolor=000001\n"
        "[other]\n"
        "lastcolor=000002\n"
        "[settings]\n"
        ";lastcolor=000003\n"
        "  # lastcolor=000004\n"
        "lastcolor=000005\n");
    EXPECT_EQ(doc.value("settings", "lastcolor"), Value("000005"));
    EXPECT_EQ(doc.value("settings", ";lastcolor"), std::nullopt);
}

TEST(IniDocument, TheFirstSectionAndKeyOfANameWin) {
    const QByteArray before =
        "[settings]\n"
        "lastcolor=111111\n"
        "lastcolor=222222\n"
        "\n"
        "[Settings]\n"
        "lastcolor=333333\n"
        "only=here\n";
    IniDocument doc(before);
    EXPECT_EQ(doc.value("settings", "lastcolor"), Value("111111"));
    EXPECT_EQ(doc.value("settings", "only"), std::nullopt);

    doc.setValue("settings", "lastcolor", "ABCDEF");
    QByteArray expected = before;
    expected.replace("111111", "ABCDEF");
    EXPECT_EQ(doc.bytes(), expected);

    // A new key joins the first section, after its last line that is not blank.
    doc.setValue("settings", "only", "1");
    expected.replace("222222\n", "222222\nonly=1\n");
    EXPECT_EQ(doc.bytes(), expected);
}

TEST(IniDocument, WriteKeepsEveryOtherByte) {
    const QByteArray before =
        "\xEF\xBB\xBF; written by hand\r\n"
        "\r\n"
        "[other]\r\n"
        "lastcolor=111111\r\n"
        "  # a comment  \r\n"
        "name=\xFF\xFE not text\r\n"
        "\r\n"
        "[Settings]\r\n"
        "foo = bar\r\n"
        "LastColor =  000000\t\r\n"
        "\r\n"
        "[tail]\r\n"
        "x=y";
    IniDocument doc(before);
    EXPECT_EQ(doc.value("other", "name"), Value("\xFF\xFE not text"));
    doc.setValue("settings", "lastcolor", "FF8000");
    QByteArray expected = before;
    expected.replace("LastColor =  000000\t", "LastColor =FF8000");
    EXPECT_EQ(doc.bytes(), expected);
    EXPECT_EQ(doc.value("settings", "lastcolor"), Value("FF8000"));
    EXPECT_EQ(doc.value("other", "lastcolor"), Value("111111"));
    EXPECT_EQ(doc.value("tail", "x"), Value("y"));
}

TEST(IniDocument, AddedLinesEndAsTheFilesLinesDo) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"", "[settings]\nlastcolor=ABCDEF\n"},
        {"[settings]\r\nfoo=1\r\n\r\n[tail]\r\nx=y\r\n",
         "[settings]\r\nfoo=1\r\nlastcolor=ABCDEF\r\n\r\n[tail]\r\nx=y\r\n"},
        {"[other]\nx=1", "[other]\nx=1\n[settings]\nlastcolor=ABCDEF\n"},
        {"[settings]\nfoo=1", "[settings]\nfoo=1\nlastcolor=ABCDEF\n"},
        {"[other]\r\nx=1", "[other]\r\nx=1\r\n[settings]\r\nlastcolor=ABCDEF\r\n"},
        // A file of lone CRs stays one.
        {"[other]\rx=1\r", "[other]\rx=1\r[settings]\rlastcolor=ABCDEF\r"},
        // A last line ending in a lone CR in a file of LFs: the added line
        // is a line of its own for readers that split at LF alone too.
        {"[x]\ny=lone cr\r", "[x]\ny=lone cr\r\n[settings]\nlastcolor=ABCDEF\n"},
    };
    for (const auto& c : cases) {
        IniDocument doc(c.before);
        const Value y = doc.value("x", "y");
        doc.setValue("settings", "lastcolor", "ABCDEF");
        EXPECT_EQ(doc.bytes(), QByteArray(c.after)) << c.before;
        EXPECT_EQ(doc.value("settings", "lastcolor"), Value("ABCDEF")) << c.before;
        EXPECT_EQ(doc.value("x", "y"), y) << c.before;
    }
}

TEST(IniDocument, LineBreaksAndNulsCannotAddLines) {
    IniDocument doc("[settings]\nlastcolor=FF8000\n");
    doc.setValue("settings", "lastcolor", "00FF00\n[evil]\nx=1\r\ny=2");
    doc.setValue("settings", "other\nkey", "1");
    doc.setValue("set\r\n[tings", "k", "1");
    doc.setValue("settings", "nul", QByteArrayView("A\0B", 3));
    EXPECT_EQ(doc.value("evil", "x"), std::nullopt);
    EXPECT_EQ(doc.value("settings", "y"), std::nullopt);
    EXPECT_EQ(doc.value("settings", "key"), std::nullopt);
    EXPECT_EQ(doc.value("tings", "k"), std::nullopt);
    EXPECT_TRUE(doc.value("settings", "lastcolor").value_or("").startsWith("00FF00"));
    EXPECT_EQ(doc.value("settings", "nul"), Value("A B"));
    EXPECT_EQ(doc.bytes().count("[settings]"), 1) << doc.bytes().toStdString();
    EXPECT_EQ(doc.bytes().count("lastcolor"), 1) << doc.bytes().toStdString();
    EXPECT_FALSE(doc.bytes().contains('\0'));
}

TEST(IniDocument, GarbageReadsWithoutHarm) {
    QRandomGenerator random(20240601);
    for (int round = 0; round < 20; ++round) {
        QByteArray noise(4096, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random.bounded(256));
        }
        noise.replace('[', '(');  // no accidental section header
        EXPECT_EQ(IniDocument(noise).value("settings", "lastcolor"), std::nullopt);
        // The key after the noise is still found.
        const IniDocument doc(noise + "\n[settings]\nlastcolor=ABCDEF\n" + noise.left(100));
        EXPECT_EQ(doc.value("settings", "lastcolor"), Value("ABCDEF"));
    }
    EXPECT_EQ(IniDocument("[settings]\r\nlastcolor=FF8000\r\n").value("settings", "lastcolor"),
              Value("FF8000"));
    EXPECT_EQ(IniDocument("[settings]\nlastcolor=FF8000").value("settings", "lastcolor"),
              Value("FF8000"));
    EXPECT_EQ(IniDocument("[settings").value("settings", "lastcolor"), std::nullopt);
    EXPECT_EQ(IniDocument("").value("settings", "lastcolor"), std::nullopt);
}

}  // namespace
}  // namespace huepick
