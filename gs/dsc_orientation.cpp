#include "gs/dsc_orientation.h"

#include <QFile>
#include <algorithm>
#include <optional>

namespace quillorn::gs {

namespace {

constexpr qint64 kReadLimit = 64LL * 1024 * 1024;

// The turn a comment's value asks for; nothing for a value that is no orientation.
std::optional<int> turnOf(QByteArrayView value) {
    value = value.trimmed();
    if (value.startsWith("Portrait"))
        return 0;
    if (value.startsWith("Landscape"))
        return 3;
    if (value.startsWith("UpsideDown"))
        return 2;
    if (value.startsWith("Seascape"))
        return 1;
    return std::nullopt;
}

} // namespace

int DscOrientation::forPage(int page) const {
    const auto it = pages.find(page);
    return it == pages.end() ? document : it->second;
}

DscOrientation dscOrientation(const QByteArray& text) {
    DscOrientation found;
    std::optional<int> header, trailer, defaults;
    bool atEnd = false, inHeader = true, inDefaults = false, inTrailer = false;
    int depth = 0; // embedded documents around the line
    const char* skipUntil = nullptr;
    int page = 0;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QByteArrayView line(text.constData() + pos, end - pos);
        pos = end + 1;
        if (!line.startsWith("%%")) {
            // The header ends with the first line that is no comment.
            if (inHeader && !line.startsWith("%") && !line.trimmed().isEmpty())
                inHeader = false;
            continue;
        }
        if (skipUntil) {
            if (line.startsWith(skipUntil))
                skipUntil = nullptr;
            continue;
        }
        if (line.startsWith("%%BeginData") || line.startsWith("%%BeginBinary")) {
            skipUntil = line.startsWith("%%BeginData") ? "%%EndData" : "%%EndBinary";
        } else if (line.startsWith("%%BeginDocument")) {
            ++depth;
        } else if (line.startsWith("%%EndDocument")) {
            depth = std::max(0, depth - 1);
        } else if (depth > 0) {
            continue;
        } else if (line.startsWith("%%EndComments")) {
            inHeader = false;
        } else if (line.startsWith("%%BeginDefaults")) {
            inHeader = false;
            inDefaults = true;
        } else if (line.startsWith("%%EndDefaults")) {
            inDefaults = false;
        } else if (line.startsWith("%%Trailer")) {
            inTrailer = true;
        } else if (line.startsWith("%%Page:")) {
            inHeader = false;
            ++page;
        } else if (line.startsWith("%%Orientation:")) {
            const QByteArrayView value = line.sliced(14).trimmed();
            if (inHeader && !header && !atEnd) {
                atEnd = value.startsWith("(atend)");
                header = turnOf(value);
            } else if (inTrailer) {
                if (const std::optional<int> turn = turnOf(value))
                    trailer = turn;
            }
        } else if (line.startsWith("%%PageOrientation:")) {
            const std::optional<int> turn = turnOf(line.sliced(18));
            if (!turn)
                continue;
            if (inDefaults)
                defaults = turn;
            else if (page > 0 && !inTrailer)
                found.pages[page] = *turn;
        }
    }
    found.document = defaults.value_or(header.value_or(atEnd ? trailer.value_or(0) : 0));
    return found;
}

DscOrientation dscOrientationOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.read(kReadLimit);
    if (!text.startsWith("%!") && !text.startsWith("\xc5\xd0\xd3\xc6"))
        return {};
    return dscOrientation(text);
}

int combinedOrientation(int page, int chosen) {
    return (((page + chosen) % 4) + 4) % 4;
}

} // namespace quillorn::gs
