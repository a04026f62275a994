#pragma once

#include "base/user_dialogs.h"
#include "viewer/core/page_labels.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace quillorn::viewer {

// An entry of a document's outline (its bookmarks).
struct OutlineItem {
    QString title;
    int page = 0; // the page it goes to, from 1; 0 when it names none of the document's pages
    std::vector<OutlineItem> children;
};

// A place on a page that leads somewhere: another page of the document, or an address.
struct PageLink {
    // In points from the top-left corner of the page as Ghostscript draws it (its media box,
    // turned by the page's own rotation), before the viewer's orientation turns it.
    QRectF area;
    int page = 0; // 0 for an address
    QString uri;
};

// What File > Properties tells; empty texts for what the document does not say.
struct DocumentProperties {
    QString title;
    QString author;
    QString subject;
    QString creator;
    QString producer;
    QString created; // as the document writes it, dates in PDF form made readable
    QString format;  // "PDF 1.7", "PostScript (DSC 3.0)"
    std::optional<int> pageCount;
    QSizeF pageSize; // the first page, in points; empty when unknown
    QStringList fonts;
    bool encrypted = false;
};

// A document's outline, links, page labels and properties: what a PDF's objects or a PostScript
// file's comments and pdfmarks say. Nothing of it needs Ghostscript.
struct DocumentStructure {
    std::vector<OutlineItem> outline;
    std::map<int, std::vector<PageLink>> links; // by page, from 1
    PageLabels labels;
    DocumentProperties properties;

    const std::vector<PageLink>& linksOn(int page) const;
};

// The structure of the document at path (gzipped or not); for an encrypted PDF the password opens
// it. A damaged or unreadable document has none: it never throws.
DocumentStructure readDocumentStructure(const QString& path, const QString& password = {});

// What File > Properties shows of the document at path: the values it has, its fonts under them.
PropertiesSheet propertiesSheet(const DocumentProperties& properties, const QString& path);

// A PDF date ("D:20261207151800+01'00'") as "2026-12-07 15:18:00 +01:00"; other text as it is.
QString readablePdfDate(const QString& date);

} // namespace quillorn::viewer
