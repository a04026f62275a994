#include "gs/document_info.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace quillorn::gs {

namespace {

// Files larger than this are not read whole for a count.
constexpr qint64 kScanLimit = 64LL * 1024 * 1024;

std::optional<int> dscPageCount(const QByteArray& text) {
    // "%%Pages: 12" in the header, or "(atend)" there and the number in the trailer.
    static const QRegularExpression pages(QStringLiteral("^%%Pages:[ \\t]*(\\d+)"),
                                          QRegularExpression::MultilineOption);
    std::optional<int> found;
    for (auto it = pages.globalMatch(QString::fromLatin1(text)); it.hasNext();)
        found = it.next().captured(1).toInt();
    if (found && *found > 0)
        return found;
    const qsizetype count = text.count("\n%%Page:") + (text.startsWith("%%Page:") ? 1 : 0);
    if (count > 0)
        return static_cast<int>(count);
    return found;
}

std::optional<int> pdfPageCount(const QByteArray& text) {
    // The root of the page tree counts every page; its children count fewer.
    static const QRegularExpression pages(
        QStringLiteral("/Type\\s*/Pages\\b[^>]*?/Count\\s+(\\d+)|/Count\\s+(\\d+)[^>]*?/Type\\s*/"
                       "Pages\\b"));
    std::optional<int> most;
    for (auto it = pages.globalMatch(QString::fromLatin1(text)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int n = (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).toInt();
        most = std::max(most.value_or(0), n);
    }
    return most;
}

} // namespace

bool isPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(1024).contains("%PDF-");
}

std::optional<int> cheapPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kScanLimit)
        return std::nullopt;
    const QByteArray text = file.readAll();
    if (text.left(1024).contains("%PDF-"))
        return pdfPageCount(text);
    if (text.startsWith("%!"))
        return dscPageCount(text);
    return std::nullopt;
}

} // namespace quillorn::gs
