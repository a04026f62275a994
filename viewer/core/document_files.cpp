#include "viewer/core/document_files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace quillorn::viewer {

QString openFilter() {
    return QCoreApplication::translate(
        "quillorn::viewer", "GhostScript files (*.ps *.eps *.epi *.pdf *.prn *.ps.gz *.eps.gz "
                            "*.pdf.gz)");
}

std::optional<QString> droppedDocument(const QList<QUrl>& urls) {
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString path = urls.front().toLocalFile();
    const QFileInfo info(path);
    if (info.isDir())
        return std::nullopt;
    QString name = info.fileName().toLower();
    if (name.endsWith(QLatin1String(".gz")))
        name.chop(3);
    for (const char* ending : {".ps", ".eps", ".pdf"})
        if (name.endsWith(QLatin1String(ending)))
            return path;
    return std::nullopt;
}

bool pagesFollowPageCount(const QString& path) {
    // Read as far as cheapPageCount reads; such a procedure sits in the prologue.
    constexpr qint64 kScanLimit = 64LL * 1024 * 1024;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(kScanLimit);
    if (!text.startsWith("%!"))
        return false;
    static const QByteArray kName = "/PageCount";
    for (qsizetype at = text.indexOf(kName); at >= 0; at = text.indexOf(kName, at + 1)) {
        const QByteArray after = text.mid(at + kName.size(), 16).simplified();
        if (after.startsWith("get"))
            return true;
    }
    return false;
}

} // namespace quillorn::viewer
