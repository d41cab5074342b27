// SPDX-License-Identifier: MIT
// make_art [OUTPUT_DIR] [--preview FILE.png]
// Writes every picture of Huepick into OUTPUT_DIR (default: the repository's
// assets folder), reads them back to check them, and optionally writes a
// composite preview (FILE.png and FILE@2x.png) plus FILE-sheet.png.
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

#include "art.h"

namespace {

int g_written = 0;

bool save(const QImage& img, const QString& dir, const QString& rel) {
    const QString path = dir + QLatin1Char('/') + rel;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    ++g_written;
    return true;
}

QString with2x(const QString& rel) {
    QString r = rel;
    return r.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
}

bool writeAll(const QString& out) {
    using namespace art;
    bool ok = true;
    for (int s = 1; s <= 2; ++s) {
        auto name = [s](const QString& rel) { return s == 1 ? rel : with2x(rel); };
        const QImage base = renderSkinBase(s);
        const QImage skin = renderSkinWithButtons(base, s, -1);
        ok &= save(skin, out, name(QStringLiteral("skin/skin.png")));
        auto crop = [s](const QImage& img, const QRect& r) {
            return img.copy(r.x() * s, r.y() * s, r.width() * s, r.height() * s);
        };
        for (const auto& f : frames()) {
            ok &= save(crop(skin, f.rect), out, name(QStringLiteral("skin/%1.png").arg(f.name)));
        }
        const auto& list = buttons();
        for (size_t i = 0; i < list.size(); ++i) {
            const Button& b = list[i];
            ok &=
                save(crop(skin, b.rect), out, name(QStringLiteral("skin/%1.png").arg(b.released)));
            const QImage pressed = renderSkinWithButtons(base, s, static_cast<int>(i));
            ok &= save(crop(pressed, b.rect), out,
                       name(QStringLiteral("skin/%1.png").arg(b.pressed)));
        }
        ok &= save(renderLensRing(s), out, name(QStringLiteral("lens/lens_ring.png")));
    }
    for (const auto& sw : swatches()) {
        ok &= save(renderSwatchMask(sw), out, QStringLiteral("skin/%1.png").arg(sw.maskName));
    }
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        ok &= save(renderIcon(size), out, QStringLiteral("icons/huepick_%1.png").arg(size));
    }
    ok &= save(renderEyedropperCursor(), out, QStringLiteral("cursors/eyedropper.png"));
    ok &= save(renderMagnifierCursor(), out, QStringLiteral("cursors/magnifier.png"));
    ok &= save(renderLensMask(), out, QStringLiteral("lens/lens_mask.png"));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");  // no display needed
    }
    QGuiApplication app(argc, argv);

    QString out = QStringLiteral(MAKE_ART_DEFAULT_OUT);
    QString preview;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--preview") && i + 1 < args.size()) {
            preview = args[++i];
        } else if (args[i].startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "usage: make_art [OUTPUT_DIR] [--preview FILE.png]\n");
            return 2;
        } else {
            out = args[i];
        }
    }
    out = QDir(out).absolutePath();

    if (!writeAll(out))
        return 1;
    std::printf("wrote %d pictures to %s\n", g_written, qPrintable(out));

    if (!preview.isEmpty()) {
        const QImage one = art::renderPreview(out, 1);
        one.save(preview, "PNG");
        QString zoom = preview;
        one.scaled(one.size() * 3)
            .save(zoom.replace(QStringLiteral(".png"), QStringLiteral("-zoom3.png")), "PNG");
        art::renderPreview(out, 2).save(with2x(preview), "PNG");
        QString buttonSheet = preview;
        art::renderButtonSheet(out).save(
            buttonSheet.replace(QStringLiteral(".png"), QStringLiteral("-buttons.png")), "PNG");
        QString sheet = preview;
        art::renderSheet(out).save(
            sheet.replace(QStringLiteral(".png"), QStringLiteral("-sheet.png")), "PNG");
    }

    const int problems = art::checkAssets(out);
    if (problems) {
        std::fprintf(stderr, "%d problem(s) found\n", problems);
        return 1;
    }
    std::printf("all checks passed\n");
    return 0;
}
