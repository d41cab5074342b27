// SPDX-License-Identifier: MIT
#include "platform/mapped_image.h"

#include <sys/mman.h>
#include <unistd.h>

namespace huepick {

namespace {

struct Mapping {
    void* address;
    std::size_t length;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->address, mapping->length);
    delete mapping;
}

}  // namespace

QImage mappedImage(QSize size, QImage::Format format, int* fd, bool touched) {
    const qsizetype stride = QImage(1, 1, format).bytesPerLine() * size.width();
    const auto length = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
    if (size.isEmpty() || length == 0) {
        return {};
    }
    int file = -1;
    if (fd != nullptr) {
        file = ::memfd_create("huepick-screen", MFD_CLOEXEC);
        if (file < 0 || ::ftruncate(file, static_cast<off_t>(length)) != 0) {
            if (file >= 0) {
                ::close(file);
            }
            return {};
        }
    }
    const int flags =
        (fd != nullptr ? MAP_SHARED : MAP_PRIVATE | MAP_ANONYMOUS) | (touched ? MAP_POPULATE : 0);
    void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, flags, file, 0);
    if (address == MAP_FAILED) {
        if (file >= 0) {
            ::close(file);
        }
        return {};
    }
    if (fd != nullptr) {
        *fd = file;
    }
    return QImage(static_cast<uchar*>(address), size.width(), size.height(), stride, format, unmap,
                  new Mapping{address, length});
}

}  // namespace huepick
