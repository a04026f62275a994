#include "viewer/core/page_bitmap.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <cstdlib>

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

// Qt reads a BMP cut short after its header without complaint, filling in the rest. A page
// Ghostscript did not finish writing must not pass for a page, so an uncompressed bitmap must
// hold every row its header promises.
bool HoldsEveryRow(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(34);
    if (header.size() < 34 || !header.startsWith("BM"))
        return false;
    const auto at = [&](int offset) { return header.constData() + offset; };
    const quint32 dataOffset = qFromLittleEndian<quint32>(at(10));
    const quint32 headerSize = qFromLittleEndian<quint32>(at(14));
    if (headerSize < 40)
        return true; // the old OS/2 header: left to Qt
    const qint64 width = qFromLittleEndian<qint32>(at(18));
    const qint64 height = qFromLittleEndian<qint32>(at(22));
    const qint64 bitsPerPixel = qFromLittleEndian<quint16>(at(28));
    const quint32 compression = qFromLittleEndian<quint32>(at(30));
    if (compression != 0)
        return true; // compressed rows have no fixed length
    if (width <= 0 || height == 0 || bitsPerPixel == 0)
        return false;
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return file.size() >= static_cast<qint64>(dataOffset) + rowBytes * std::abs(height);
}

} // namespace

std::optional<QImage> LoadPageBitmap(const QString& path, int allocationLimitMb) {
    if (path.isEmpty() || !HoldsEveryRow(path))
        return std::nullopt;
    AllocationLimitScope limit(allocationLimitMb);
    QImageReader reader(path, "bmp");
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace quillorn::viewer
