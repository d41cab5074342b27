// SPDX-License-Identifier: MIT
#include "blank_cursor.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace e2e::wayland {

namespace {

// Names used by wlroots, Qt's Wayland cursors and the CSS/X11 lists, so that
// no lookup falls back to a visible built-in cursor.
const char kCursorNames[] =
    "left_ptr default top_left_arrow left_arrow arrow right_ptr text xterm ibeam "
    "vertical-text pointer hand hand1 hand2 pointing_hand openhand closedhand grab "
    "grabbing dnd-none crosshair cross tcross cell plus wait watch progress "
    "left_ptr_watch half-busy help question_arrow whats_this left_ptr_help not-allowed "
    "forbidden crossed_circle circle no-drop dnd-no-drop move fleur all-scroll size_all "
    "col-resize split_h sb_h_double_arrow h_double_arrow ew-resize size_hor e-resize "
    "w-resize right_side left_side row-resize split_v sb_v_double_arrow v_double_arrow "
    "ns-resize size_ver n-resize s-resize top_side bottom_side nesw-resize size_bdiag "
    "ne-resize sw-resize top_right_corner bottom_left_corner fd_double_arrow nwse-resize "
    "size_fdiag nw-resize se-resize top_left_corner bottom_right_corner bd_double_arrow "
    "copy dnd-copy alias link dnd-link dnd-move context-menu zoom-in zoom-out pirate "
    "X_cursor draft pencil color-picker all-resize ";

constexpr quint32 kMagic = 0x72756358;  // "Xcur"
constexpr quint32 kImageType = 0xfffd0002;
constexpr quint32 kFileHeaderSize = 16;
constexpr quint32 kTocEntrySize = 12;
constexpr quint32 kImageHeaderSize = 36;

// One image per nominal size; every pixel is 0 (transparent black).
QByteArray blankCursorFile() {
    const quint32 sizes[] = {24, 48};
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 count = std::size(sizes);
    out << kMagic << kFileHeaderSize << quint32{0x10000} << count;
    quint32 position = kFileHeaderSize + count * kTocEntrySize;
    for (quint32 size : sizes) {
        out << kImageType << size << position;
        position += kImageHeaderSize + size * size * 4;
    }
    for (quint32 size : sizes) {
        out << kImageHeaderSize << kImageType << size << quint32{1}  // version
            << size << size                                          // width, height
            << quint32{0} << quint32{0}                              // hot spot
            << quint32{0};                                           // delay
        for (quint32 i = 0; i < size * size; ++i) {
            out << quint32{0};
        }
    }
    return data;
}

}  // namespace

bool writeBlankCursorTheme(const QString& iconsDir) {
    const QString theme = iconsDir + u'/' + kBlankCursorTheme;
    const QString cursors = theme + QStringLiteral("/cursors");
    if (!QDir().mkpath(cursors)) {
        return false;
    }
    QFile index(theme + QStringLiteral("/index.theme"));
    if (!index.open(QIODevice::WriteOnly) ||
        index.write("[Icon Theme]\nName=" + kBlankCursorTheme.toUtf8() +
                    "\nComment=Transparent cursors for screenshots\n") < 0) {
        return false;
    }
    // One file; every other name is a link to it.
    const QByteArray image = blankCursorFile();
    const QStringList names = QString::fromLatin1(kCursorNames).split(u' ', Qt::SkipEmptyParts);
    QFile file(cursors + u'/' + names.first());
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        return false;
    }
    for (const QString& name : names.mid(1)) {
        if (!QFile::link(names.first(), cursors + u'/' + name)) {
            return false;
        }
    }
    return true;
}

}  // namespace e2e::wayland
