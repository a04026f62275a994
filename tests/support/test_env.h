#pragma once

#include <QStringList>
#include <ostream>

namespace quillorn::test {

// The private scratch directory the test process runs in: HOME, XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_CACHE_HOME and TMPDIR all point below it.
QString ScratchDir();

// Writes bytes to a file below the scratch directory (or at an absolute path); returns the path.
QString WriteFile(const QString& relativeOrAbsolute, const QByteArray& bytes);
// The whole file, or nothing when it cannot be read.
QByteArray ReadFile(const QString& path);

// Print-job files and Ghostscript's private run directories in the temporary directory.
QStringList TempLeftovers();

// A small two-page PostScript document: page 1 a filled square, page 2 a circle.
QByteArray TwoPagePostScript();

} // namespace quillorn::test

// Failure messages show texts as texts, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
