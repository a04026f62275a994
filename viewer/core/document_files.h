#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace quillorn::viewer {

// The open dialog's filter: one entry for every kind of file Ghostscript reads.
QString openFilter();

// The document in a drop: exactly one local PostScript, EPS or PDF file (by its extension, in
// any case, also with ".gz" after it). Nothing for several files, a folder name, a remote
// address or another kind.
std::optional<QString> droppedDocument(const QList<QUrl>& urls);

// True for a PostScript document whose pages depend on how many pages the device has shipped
// (currentpagedevice /PageCount): Ghostscript's page range would show it other pages than a run
// over all of them does.
bool pagesFollowPageCount(const QString& path);

} // namespace quillorn::viewer
