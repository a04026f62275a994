#include "viewer/core/document_structure.h"

#include "gs/document_info.h"
#include "viewer/core/logging.h"
#include "viewer/core/pdf_structure.h"
#include "viewer/core/ps_structure.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <exception>

namespace quillorn::viewer {

namespace {

// A document larger than this (decompressed) is not read for its structure.
constexpr qint64 kReadLimit = 256LL * 1024 * 1024;

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
        const std::optional<QByteArray> text = gs::wholeText(path, kReadLimit);
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

PropertiesSheet propertiesSheet(const DocumentProperties& p, const QString& path) {
    const auto translated = [](const char* text) {
        return QCoreApplication::translate("quillorn::viewer", text);
    };
    const QFileInfo file(path);
    PropertiesSheet sheet;
    sheet.title =
        QCoreApplication::translate("quillorn::viewer", "Properties of %1").arg(file.fileName());
    QString size;
    if (!p.pageSize.isEmpty())
        size = QCoreApplication::translate("quillorn::viewer", "%1 × %2 points (%3 × %4 mm)")
                   .arg(qRound(p.pageSize.width()))
                   .arg(qRound(p.pageSize.height()))
                   .arg(qRound(p.pageSize.width() * 25.4 / 72))
                   .arg(qRound(p.pageSize.height() * 25.4 / 72));
    const std::pair<const char*, QString> rows[] = {
        {QT_TRANSLATE_NOOP("quillorn::viewer", "File"), file.absoluteFilePath()},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Title"), p.title},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Author"), p.author},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Subject"), p.subject},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Creator"), p.creator},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Producer"), p.producer},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Created"), p.created},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Format"), p.format},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Encrypted"),
         p.encrypted ? QCoreApplication::translate("quillorn::viewer", "yes") : QString()},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Pages"),
         p.pageCount ? QString::number(*p.pageCount) : QString()},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "Page size"), size},
        {QT_TRANSLATE_NOOP("quillorn::viewer", "File size"),
         file.exists() ? QLocale().formattedDataSize(file.size()) : QString()},
    };
    for (const auto& [name, value] : rows)
        if (!value.isEmpty())
            sheet.rows.append({translated(name), value});
    sheet.listName = QCoreApplication::translate("quillorn::viewer", "Fonts");
    sheet.list = p.fonts;
    return sheet;
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
