#include "viewer/core/page_bitmap.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <array>
#include <cstdlib>
#include <malloc.h>

namespace quillorn::viewer {

namespace {

// Qt keeps the limit for the whole process; lend it for one read only.
class AllocationLimitScope {
public:
    explicit AllocationLimitScope(int mb) : previous_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(mb);
    }
    ~AllocationLimitScope() { QImageReader::setAllocationLimit(previous_); }
    AllocationLimitScope(const AllocationLimitScope&) = delete;
    AllocationLimitScope& operator=(const AllocationLimitScope&) = delete;

private:
    int previous_;
};

// What a BMP file's headers say about its pixels.
struct BmpLayout {
    qint64 dataOffset = 0;
    qint64 width = 0;
    qint64 height = 0; // negative: top row first
    int bitsPerPixel = 0;
    bool compressed = false;
    bool infoHeader = false; // the Windows header of 40 bytes or more
    qint64 rowBytes() const { return (width * bitsPerPixel + 31) / 32 * 4; }
};

std::optional<BmpLayout> readLayout(QFile& file) {
    std::array<uchar, 34> header{};
    if (file.read(reinterpret_cast<char*>(header.data()), header.size()) !=
            static_cast<qint64>(header.size()) ||
        header[0] != 'B' || header[1] != 'M')
        return std::nullopt;
    const auto at = [&](size_t offset) { return header.data() + offset; };
    BmpLayout layout;
    layout.dataOffset = qFromLittleEndian<quint32>(at(10));
    layout.infoHeader = qFromLittleEndian<quint32>(at(14)) >= 40;
    layout.width = qFromLittleEndian<qint32>(at(18));
    layout.height = qFromLittleEndian<qint32>(at(22));
    layout.bitsPerPixel = qFromLittleEndian<quint16>(at(28));
    layout.compressed = qFromLittleEndian<quint32>(at(30)) != 0;
    return layout;
}

// Qt reads a BMP cut short after its header without complaint, filling in the rest. A page
// Ghostscript did not finish writing must not pass for a page, so an uncompressed bitmap must
// hold every row its header promises.
bool holdsEveryRow(const BmpLayout& layout, qint64 fileSize) {
    if (!layout.infoHeader || layout.compressed)
        return true; // no fixed row length to check: left to Qt
    if (layout.width <= 0 || layout.height == 0 || layout.bitsPerPixel == 0)
        return false;
    return fileSize >= layout.dataOffset + layout.rowBytes() * std::abs(layout.height);
}

// Ghostscript's true-colour pages are rows of blue, green and red bytes, bottom row first,
// padded to four bytes: the very layout of a BGR888 image. Each row is read straight into its
// scan line, which saves Qt's conversion of every pixel to 32 bits and a quarter of the memory.
std::optional<QImage> loadTrueColour(QFile& file, const BmpLayout& layout, int limitMb) {
    const qint64 height = std::abs(layout.height);
    if (layout.width > 0x7fffffff / 3 || height > 0x7fffffff ||
        layout.width * 3 * height > static_cast<qint64>(limitMb) * 1024 * 1024)
        return std::nullopt;
    QImage image(static_cast<int>(layout.width), static_cast<int>(height), QImage::Format_BGR888);
    const qint64 rowBytes = layout.rowBytes();
    if (image.isNull() || image.bytesPerLine() < rowBytes || !file.seek(layout.dataOffset))
        return std::nullopt;
    if (layout.height < 0 && image.bytesPerLine() == rowBytes) {
        // Top row first: the whole picture in one read.
        if (file.read(reinterpret_cast<char*>(image.bits()), rowBytes * height) !=
            rowBytes * height)
            return std::nullopt;
        return image;
    }
    for (qint64 y = 0; y < height; ++y) {
        const qint64 target = layout.height > 0 ? height - 1 - y : y;
        char* line = reinterpret_cast<char*>(image.scanLine(static_cast<int>(target)));
        if (file.read(line, rowBytes) != rowBytes)
            return std::nullopt;
    }
    return image;
}

} // namespace

qint64 BitmapHeader::decodedBytes() const {
    // True colour is kept as it is; fewer bits are widened to 32 bits a pixel by Qt.
    return width * height * (bitsPerPixel == 24 ? 3 : 4);
}

std::optional<BitmapHeader> readBitmapHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<BmpLayout> layout = readLayout(file);
    if (!layout)
        return std::nullopt;
    return BitmapHeader{layout->width, std::abs(layout->height), layout->bitsPerPixel};
}

void returnFreedPicturesToSystem() {
    constexpr int kOwnBlocksFrom = 1 << 20;
    mallopt(M_MMAP_THRESHOLD, kOwnBlocksFrom);
}

std::optional<QImage> loadPageBitmap(const QString& path, int allocationLimitMb) {
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<BmpLayout> layout = readLayout(file);
    if (!layout || !holdsEveryRow(*layout, file.size()))
        return std::nullopt;
    if (layout->infoHeader && !layout->compressed && layout->bitsPerPixel == 24) {
        // Rows go straight into the image, not through a buffer of QFile's.
        file.close();
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return std::nullopt;
        return loadTrueColour(file, *layout, allocationLimitMb);
    }
    file.close();

    AllocationLimitScope limit(allocationLimitMb);
    QImageReader reader(path, "bmp");
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace quillorn::viewer
