#pragma once

#include <QString>
#include <optional>

namespace quillorn::gs {

class Runner;

// The number of pages of a document where it can be known without running Ghostscript: a
// PostScript file's %%Pages: comment (or its %%Page: comments counted), a PDF's page tree
// (when it is not hidden in a compressed object stream). Nothing otherwise.
std::optional<int> cheapPageCount(const QString& path);

// The number of pages of a PDF as Ghostscript counts them (its page tree), in one short run
// through the runner; nothing when Ghostscript cannot read the file or wants a password.
std::optional<int> ghostscriptPageCount(Runner& runner, const QString& pdfPath);

// True for a PDF file (by its first bytes, not its name).
bool isPdf(const QString& path);

} // namespace quillorn::gs
