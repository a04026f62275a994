#pragma once

#include "viewer/core/document_structure.h"

#include <QByteArray>

namespace quillorn::viewer {

// The structure of a PostScript document from its own DSC comments (title, creator, date, level,
// fonts, page labels of "%%Page: label ordinal") and its pdfmarks (an outline of /OUT entries,
// going to a /Page or to a /Dest that a /DEST mark put on a page). Comments of documents embedded
// in it and what its data sections hold are not its own.
DocumentStructure readPostScriptStructure(const QByteArray& text);

// A PostScript string's bytes as text: UTF-16 after a byte order mark, else Latin-1.
QString textOfPostScriptString(const QByteArray& bytes);

} // namespace quillorn::viewer
