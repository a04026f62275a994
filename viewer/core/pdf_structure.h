#pragma once

#include "viewer/core/document_structure.h"

#include <QByteArray>

namespace quillorn::viewer {

// The structure of a PDF, read by qpdf from a file or from its bytes. Throws whatever qpdf throws
// for a damaged or locked file.
DocumentStructure readPdfStructure(const QString& path, const QString& password);
DocumentStructure readPdfStructure(const QByteArray& bytes, const QString& password);

} // namespace quillorn::viewer
