#include "gs/document_info.h"

#include "base/message_log.h"
#include "gs/runner.h"

#include <QFile>
#include <QFileInfo>
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

std::optional<int> ghostscriptPageCount(Runner& runner, const QString& pdfPath) {
    // The file is named in a string parameter, so no PostScript quoting of the path; reading it
    // is permitted for this run alone. With PDFSTOPONERROR an unreadable file ends in an error
    // rather than a count of 0.
    struct Said : MessageSink {
        QString text;
        void addMessage(const QString& piece) override { text += piece; }
    } said;
    const QString path = QFileInfo(pdfPath).absoluteFilePath();
    const QStringList args = {QStringLiteral("gswin32c"),
                              QStringLiteral("-q"),
                              QStringLiteral("-dNODISPLAY"),
                              QStringLiteral("-dSAFER"),
                              QStringLiteral("-dNOPAUSE"),
                              QStringLiteral("-dBATCH"),
                              QStringLiteral("-dPDFSTOPONERROR"),
                              QStringLiteral("-sFile=") + path,
                              QStringLiteral("--permit-file-read=") + path,
                              QStringLiteral("-c"),
                              QStringLiteral("File (r) file runpdfbegin pdfpagecount = quit")};
    const RunResult result = runner.run(args, said);
    static const QRegularExpression count(QStringLiteral("^(\\d+)$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = count.match(said.text);
    if (!result.succeeded() || !m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

} // namespace quillorn::gs
