#pragma once

#include <QStringList>
#include <ostream>

namespace quillorn::test {

// The private scratch directory the test process runs in: HOME, XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR and TMPDIR all point below it.
QString scratchDir();

// Writes bytes to a file below the scratch directory (or at an absolute path); returns the path.
QString writeFile(const QString& relativeOrAbsolute, const QByteArray& bytes);
// The whole file, or nothing when it cannot be read.
QByteArray readFile(const QString& path);

// Print-job files and Ghostscript's private run folders left in the temporary directory.
QStringList tempLeftovers();

// A small two-page PostScript document of 200 x 100 points: page 1 a blue square, page 2 a red
// circle.
QByteArray twoPagePostScript();
// The same document, written below the scratch directory; the PDF is made by the real library.
QString writeTwoPagePostScript(const QString& relativePath);
QString writeTwoPagePdf(const QString& relativePath, const QStringList& switches = {});
// The PostScript file as a PDF written by the real library; returns the PDF's path.
QString writePdfOf(const QString& postScript, const QString& pdf, const QStringList& switches = {});
// The two-page document as a PDF that opens with the password "user" (its owner's is "owner").
QString writeEncryptedPdf(const QString& relativePath);
// A PDF of the given objects, numbered from 1 (the first the catalog), with its cross-reference
// table written by hand.
QByteArray pdfOfObjects(const QByteArrayList& bodies);
// The bytes as a gzip file holds them, by the gzip program.
QByteArray gzipped(const QByteArray& bytes);
// One page of width x height points with a blue square.
QString writeSizedPostScript(const QString& relativePath, int widthPt, int heightPt);

} // namespace quillorn::test

// Failure messages show texts as texts, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
