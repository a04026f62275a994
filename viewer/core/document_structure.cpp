#include "viewer/core/document_structure.h"

#include "gs/document_info.h"
#include "viewer/core/logging.h"
#include "viewer/core/pdf_structure.h"
#include "viewer/core/ps_structure.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <exception>
#include <memory>
#include <zlib.h>

namespace quillorn::viewer {

namespace {

// A document larger than this (decompressed) is not read for its structure.
constexpr qint64 kReadLimit = 256LL * 1024 * 1024;

struct GzClose {
    void operator()(gzFile file) const { gzclose(file); }
};

// The file's bytes, decompressed when it is gzipped; nothing past the limit or on a read error.
std::optional<QByteArray> contents(const QString& path) {
    const std::unique_ptr<gzFile_s, GzClose> file(
        gzopen(QFile::encodeName(path).constData(), "rb"));
    if (!file)
        return std::nullopt;
    QByteArray text;
    QByteArray buffer(1 << 20, '\0');
    for (;;) {
        const int read = gzread(file.get(), buffer.data(), static_cast<unsigned>(buffer.size()));
        if (read < 0 || text.size() + read > kReadLimit)
            return std::nullopt;
        if (read == 0)
            return text;
        text.append(buffer.constData(), read);
    }
}

} // namespace

const std::vector<PageLink>& DocumentStructure::linksOn(int page) const {
    static const std::vector<PageLink> kNone;
    const auto found = links.find(page);
    return found == links.end() ? kNone : found->second;
}

DocumentStructure readDocumentStructure(const QString& path, const QString& password) {
    if (!QFileInfo(path).isFile())
        return {};
    try {
        // qpdf reads a plain PDF from the disk as it needs it; anything else is read whole.
        if (gs::isPdf(path) && !gs::isGzip(path))
            return readPdfStructure(path, password);
        const std::optional<QByteArray> text = contents(path);
        if (!text)
            return {};
        if (text->left(1024).contains("%PDF-"))
            return readPdfStructure(*text, password);
        return readPostScriptStructure(*text);
    } catch (const std::exception& e) {
        qCDebug(lcPages) << "No structure read from" << path << ":" << e.what();
    } catch (...) {
        qCDebug(lcPages) << "No structure read from" << path;
    }
    return {};
}

QString readablePdfDate(const QString& date) {
    static const QRegularExpression pdfDate(
        QStringLiteral("^D:(\\d{4})(\\d{2})?(\\d{2})?(\\d{2})?(\\d{2})?(\\d{2})?(?:([Zz])|([+-])("
                       "\\d{2})'?(\\d{2})?'?)?"));
    const QRegularExpressionMatch m = pdfDate.match(date);
    if (!m.hasMatch())
        return date;
    const auto part = [&](int i, const char* otherwise) {
        return m.captured(i).isEmpty() ? QString::fromLatin1(otherwise) : m.captured(i);
    };
    QString text = m.captured(1) + u'-' + part(2, "01") + u'-' + part(3, "01");
    if (!m.captured(4).isEmpty())
        text += u' ' + m.captured(4) + u':' + part(5, "00") + u':' + part(6, "00");
    if (!m.captured(7).isEmpty())
        text += QStringLiteral(" UTC");
    else if (!m.captured(8).isEmpty())
        text += u' ' + m.captured(8) + m.captured(9) + u':' + part(10, "00");
    return text;
}

} // namespace quillorn::viewer
