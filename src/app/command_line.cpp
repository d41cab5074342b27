// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <QCommandLineParser>

#include "core/notations.h"

namespace huepick {

namespace {

CommandLine error(const QString& why) {
    return {CommandLine::Action::Error, CaptureMode::Sample, 0,
            QStringLiteral("huepick: %1\n%2").arg(why, usageText())};
}

}  // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: huepick [--pick | --magnify] [--format N]\n"
        "A colour picker: without options, shows its window.\n"
        "\n"
        "  --pick          pick a pixel from a frozen copy of the screen, print its\n"
        "                  colour as #RRGGBB and exit; a cancel prints nothing and\n"
        "                  exits with status 1\n"
        "  --magnify       the same, through the magnifying lens\n"
        "  --format N      print the colour as F1 to F10 copy it (N is 1 to 10)\n"
        "  -h, --help      show this help and exit\n"
        "  -v, --version   show the version and exit\n"
        "\n"
        "While huepick runs, starting it again shows its window; --pick and\n"
        "--magnify then pick through the running program.\n");
}

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption pick(QStringLiteral("pick"), QString());
    const QCommandLineOption magnify(QStringLiteral("magnify"), QString());
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("N"));
    parser.addOptions({help, version, pick, magnify, format});
    if (!parser.parse(arguments)) {
        return error(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return error(
            QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(help)) {
        return {CommandLine::Action::Help, CaptureMode::Sample, 0, usageText()};
    }
    if (parser.isSet(version)) {
        return {CommandLine::Action::Version, CaptureMode::Sample, 0,
                QStringLiteral("huepick " HUEPICK_VERSION "\n")};
    }
    if (parser.isSet(pick) && parser.isSet(magnify)) {
        return error(QStringLiteral("--pick and --magnify do not go together"));
    }
    CommandLine line;
    if (parser.isSet(format)) {
        bool number = false;
        line.format = parser.value(format).toInt(&number);
        if (!number || line.format < 1 || line.format > kNotationCount) {
            return error(
                QStringLiteral("--format takes a number from 1 to %1").arg(kNotationCount));
        }
        if (!parser.isSet(pick) && !parser.isSet(magnify)) {
            return error(QStringLiteral("--format goes with --pick or --magnify"));
        }
    }
    if (parser.isSet(pick) || parser.isSet(magnify)) {
        line.action = CommandLine::Action::Pick;
        line.mode = parser.isSet(magnify) ? CaptureMode::Magnify : CaptureMode::Sample;
    }
    return line;
}

}  // namespace huepick
