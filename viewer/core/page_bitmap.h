#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace quillorn::viewer {

// Qt refuses images over 128 MB unless told otherwise; a letter page at 600 dpi is about 100 MB
// and an 11x17 page about 270 MB once loaded. Pages up to this size display.
inline constexpr int kPageAllocationLimitMb = 2048;

// What the header of a BMP file says about the picture, once the first 54 bytes are there:
// enough to know, while Ghostscript is still writing a page, how large it will be.
struct BitmapHeader {
    qint64 width = 0;
    qint64 height = 0;
    int bitsPerPixel = 0;
    // Bytes of the picture once loaded.
    qint64 decodedBytes() const;
};
std::optional<BitmapHeader> readBitmapHeader(const QString& path);

// Page pictures are megabytes each. glibc raises its threshold for blocks of their own as the
// first ones are freed, after which freed pictures stay in the heap and the process keeps its
// peak: blocks of a megabyte or more are made always the system's, given back when freed. Called
// once at the start of a process that shows pages.
void returnFreedPicturesToSystem();

// The rendered page in a BMP file, or nothing when the file holds no bitmap that can be loaded
// (empty, truncated, not a BMP, or larger than allocationLimitMb once decoded).
std::optional<QImage> loadPageBitmap(const QString& path,
                                     int allocationLimitMb = kPageAllocationLimitMb);

} // namespace quillorn::viewer
