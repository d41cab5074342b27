// SPDX-License-Identifier: MIT
// Turns the skin into plain pixels at build time: the resource compiler packs
// them with zstd, which unpacks several times faster at start-up than a PNG
// decodes, and the skin is the one large picture the first frame needs.
//   skin_pixels INPUT.png OUTPUT.pixels
// The output is the width and the height as little-endian 32-bit numbers, then
// the rows of 32-bit 0xffRRGGBB pixels in this machine's byte order.
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: skin_pixels INPUT.png OUTPUT.pixels\n", stderr);
        return 2;
    }
    const QImage picture =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) {
        std::fprintf(stderr, "skin_pixels: cannot read %s\n", argv[1]);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "skin_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    const quint32 size[2] = {qToLittleEndian(quint32(picture.width())),
                             qToLittleEndian(quint32(picture.height()))};
    bool ok = out.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size;
    for (int y = 0; ok && y < picture.height(); ++y) {
        const qint64 row = qint64(picture.width()) * 4;
        ok = out.write(reinterpret_cast<const char*>(picture.constScanLine(y)), row) == row;
    }
    if (!ok || !out.flush()) {
        std::fprintf(stderr, "skin_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
