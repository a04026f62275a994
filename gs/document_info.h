#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace quillorn::gs {

// The number of pages of a document where it can be known without running Ghostscript: a
// PostScript file's %%Pages: comment (or its %%Page: comments counted), a PDF's page tree
// (when it is not hidden in a compressed object stream). Nothing otherwise. A gzipped file is
// read decompressed. The PostScript file's own comments count: "%%Pages: (atend)" is read from
// its trailer, and the comments of documents embedded in it (%%BeginDocument ... %%EndDocument)
// and what %%BeginData and %%BeginBinary sections hold are not its own.
std::optional<int> cheapPageCount(const QString& path);

// Each line of a PostScript document that is its own, with where it starts in text: the lines of
// documents embedded in it (%%BeginDocument ... %%EndDocument, nested, those comments included)
// are theirs, and what %%BeginData and %%BeginBinary sections hold is data (their declared bytes
// or lines are passed over, the section comments too).
void forEachOwnLine(const QByteArray& text,
                    const std::function<void(QByteArrayView line, qsizetype start)>& visit);

// The whole text of a file, read through gzip compression when it has any; nothing when it
// cannot be read, is damaged, or holds more than limit bytes.
std::optional<QByteArray> wholeText(const QString& path, qint64 limit);

// True for a PDF file (by its first bytes, not its name).
bool isPdf(const QString& path);

// True for a file compressed with gzip (by its first two bytes, not its name).
bool isGzip(const QString& path);

// True for an Encapsulated PostScript picture: a first line "%!PS-Adobe-3.0 EPSF-3.0", a DOS
// EPS header, or a name ending in .eps, .epsi or .epi (.gz after it allowed). The header is
// looked for through gzip compression. False for anything that is not a regular file.
bool isEps(const QString& path);

// The largest size a compressed document may have once decompressed.
inline constexpr qint64 kDecompressedLimit = 2LL * 1024 * 1024 * 1024;

// Decompresses a gzip file into target. Throws Failure (FileAccess) when the source cannot be
// read or is damaged, when target cannot be written, or when the text grows past limitBytes;
// nothing is left at target then.
void decompressGzip(const QString& source, const QString& target,
                    qint64 limitBytes = kDecompressedLimit);

// The argument list of a run that prints a PDF's number of pages (the page tree's count) and
// nothing else; the password goes with it when there is one. Allowed under -dSAFER.
QStringList pdfPageCountArguments(const QString& path, const QString& password = {});
// The number such a run printed; nothing when it printed none.
std::optional<int> pageCountFromOutput(const QString& output);

} // namespace quillorn::gs
