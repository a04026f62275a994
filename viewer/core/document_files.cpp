#include "viewer/core/document_files.h"

#include <QFileInfo>

namespace quillorn::viewer {

QString openFilter() {
    return QStringLiteral("GhostScript files (*.ps *.eps *.epi *.pdf *.prn)");
}

std::optional<QString> droppedDocument(const QList<QUrl>& urls) {
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString path = urls.front().toLocalFile();
    const QFileInfo info(path);
    if (info.isDir())
        return std::nullopt;
    const QString suffix = info.suffix().toLower();
    if (suffix != QLatin1String("ps") && suffix != QLatin1String("eps") &&
        suffix != QLatin1String("pdf"))
        return std::nullopt;
    return path;
}

} // namespace quillorn::viewer
