// SPDX-License-Identifier: MIT
// Turns the shape masks of the artwork into rectangle lists at build time, so
// that the program does not decode and scan pictures to shape its windows
// when it starts.
//   shape_rects OUTPUT.cpp NAME=PICTURE.png:RRGGBB ...
// RRGGBB is the colour that is cut away; the other pixels stay.
#include <QFile>
#include <QImage>
#include <QRect>
#include <QStringList>
#include <cstdio>
#include <vector>

namespace {

// The kept pixels as QRegion's own banded form: runs of kept pixels per row,
// and neighbouring rows with the same runs joined into one band, so that the
// program can hand the rectangles to QRegion::setRects as they are.
std::vector<QRect> rectsOf(const QImage& picture, QRgb cut) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const auto runsOf = [&](int y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < rgb.width();) {
            while (x < rgb.width() && (rgb.pixel(x, y) & 0xFFFFFF) == (cut & 0xFFFFFF)) {
                ++x;
            }
            const int start = x;
            while (x < rgb.width() && (rgb.pixel(x, y) & 0xFFFFFF) != (cut & 0xFFFFFF)) {
                ++x;
            }
            if (x > start) {
                runs.emplace_back(start, x - start);
            }
        }
        return runs;
    };
    std::vector<QRect> rects;
    for (int y = 0; y < rgb.height();) {
        const auto runs = runsOf(y);
        int height = 1;
        while (y + height < rgb.height() && runsOf(y + height) == runs) {
            ++height;
        }
        for (const auto& [x, width] : runs) {
            rects.emplace_back(x, y, width, height);
        }
        y += height;
    }
    return rects;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: shape_rects OUTPUT.cpp NAME=PICTURE.png:RRGGBB ...\n");
        return 2;
    }
    QString out = QStringLiteral(
        "// Generated at build time by tools/shape_rects from the artwork's masks.\n"
        "#include \"ui/built_shapes.h\"\n\n#include <iterator>\n\n"
        "namespace huepick::built {\n\n"
        "namespace {\n");
    QStringList lookups;
    for (int i = 2; i < argc; ++i) {
        const QString entry = QString::fromLocal8Bit(argv[i]);
        const QString name = entry.section(u'=', 0, 0);
        const QString file = entry.section(u'=', 1).section(u':', 0, 0);
        const QRgb cut = entry.section(u':', -1).toUInt(nullptr, 16);
        const QImage picture(file);
        if (picture.isNull()) {
            std::fprintf(stderr, "shape_rects: cannot read %s\n", qPrintable(file));
            return 1;
        }
        out += QStringLiteral("constexpr QRect k_%1[] = {\n").arg(name);
        for (const QRect& r : rectsOf(picture, cut)) {
            out += QStringLiteral("    {%1, %2, %3, %4},\n")
                       .arg(r.x())
                       .arg(r.y())
                       .arg(r.width())
                       .arg(r.height());
        }
        out += QStringLiteral("};\n");
        lookups << QStringLiteral(
                       "    if (name == \"%1\") {\n"
                       "        region.setRects(k_%1, static_cast<int>(std::size(k_%1)));\n"
                       "    }\n")
                       .arg(name);
    }
    out += QStringLiteral(
               "\n}  // namespace\n\nQRegion shape(std::string_view name) {\n"
               "    QRegion region;\n") +
           lookups.join(QString()) +
           QStringLiteral("    return region;\n}\n\n}  // namespace huepick::built\n");
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out.toUtf8()) < 0) {
        std::fprintf(stderr, "shape_rects: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
