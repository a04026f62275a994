#include "viewer/core/dsc_bounding_box.h"

#include <QFile>
#include <QList>
#include <QtEndian>

namespace quillorn::viewer {

namespace {
// The header's comments and the trailer are read this far from either end of the document.
constexpr qint64 kScanBytes = qint64(64) * 1024;
const QByteArray kComment = QByteArrayLiteral("%%BoundingBox:");

QList<QByteArray> lines(const QByteArray& text) {
    QByteArray unified = text;
    unified.replace("\r\n", "\n").replace('\r', '\n');
    return unified.split('\n');
}

enum class Found { None, AtEnd, Box };

Found parseComment(const QByteArray& line, BoundingBox& box) {
    const QByteArray value = line.mid(kComment.size()).trimmed();
    if (value == "(atend)")
        return Found::AtEnd;
    const QList<QByteArray> numbers = value.simplified().split(' ');
    if (numbers.size() != 4)
        return Found::None;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = numbers[i].toDouble(&ok);
        if (!ok)
            return Found::None;
    }
    box = {v[0], v[1], v[2], v[3]};
    return box.urx > box.llx && box.ury > box.lly ? Found::Box : Found::None;
}
} // namespace

std::optional<BoundingBox> boundingBoxFromText(const QByteArray& head, const QByteArray& tail) {
    BoundingBox box;
    bool atEnd = false;
    // The header's comments end with %%EndComments or the first line that is not a comment.
    for (const QByteArray& line : lines(head)) {
        if (!line.startsWith('%') || line.startsWith("%%EndComments"))
            break;
        if (!line.startsWith(kComment))
            continue;
        const Found found = parseComment(line, box);
        if (found == Found::Box)
            return box;
        atEnd = found == Found::AtEnd;
        break;
    }
    if (!atEnd)
        return std::nullopt;
    const qsizetype trailer = tail.lastIndexOf("%%Trailer");
    if (trailer < 0)
        return std::nullopt;
    std::optional<BoundingBox> last;
    for (const QByteArray& line : lines(tail.mid(trailer)))
        if (line.startsWith(kComment) && parseComment(line, box) == Found::Box)
            last = box;
    return last;
}

std::optional<BoundingBox> documentBoundingBox(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    qint64 start = 0;
    qint64 end = file.size();
    // An EPS file with a preview: a binary header says where the PostScript lies.
    const QByteArray dosHeader = file.read(12);
    if (dosHeader.size() == 12 && dosHeader.startsWith("\xC5\xD0\xD3\xC6")) {
        start = qFromLittleEndian<quint32>(dosHeader.constData() + 4);
        end = std::min(end, start + qFromLittleEndian<quint32>(dosHeader.constData() + 8));
    }
    if (start >= end || !file.seek(start))
        return std::nullopt;
    const QByteArray head = file.read(std::min(kScanBytes, end - start));
    const qint64 tailStart = std::max(start, end - kScanBytes);
    if (!file.seek(tailStart))
        return std::nullopt;
    return boundingBoxFromText(head, file.read(end - tailStart));
}

} // namespace quillorn::viewer
