#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace quillorn::gs {

class Library;

// Ghostscript's return code when a document ends with `quit`: not an error.
inline constexpr int kQuitCode = -101;

// True when a return code of gsapi_init_with_args means the run went through.
inline bool succeeded(int code) {
    return code >= 0 || code == kQuitCode;
}

struct Revision {
    qint32 number = 0;
    qint32 date = 0;
    QString product;
    QString notice;
};

enum class Stream { Out, Err };
// Receives every piece of Ghostscript's output, in order, exactly as Ghostscript hands it over.
using OutputSink = std::function<void(Stream, QByteArrayView)>;

// Quillorn's private library directory: lib/ under the user's application data directory.
// The installation check copies a found Ghostscript library there; it is tried first.
QString privateLibraryDirectory();

// Where the library is looked for, in order: files in the private directory, then names for the
// system loader.
QStringList defaultLibraryCandidates();

// The one place that talks to the Ghostscript library. The library is loaded on first use and
// kept; a failed load is tried again next time, since the installation check may have put a
// library in place meanwhile.
class Binding {
public:
    // An empty list means the default candidates.
    explicit Binding(QStringList candidates = {});
    ~Binding();
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

    // One complete Ghostscript run over the argument list (element 0 is the program word).
    // Returns the code of gsapi_init_with_args, or the negative code with which the instance
    // could not be made or set up. Throws Failure when the library cannot be had. When asked,
    // pagesShipped receives how many pages the output device shipped (-1 when not known).
    int run(const QStringList& args, const OutputSink& sink, int* pagesShipped = nullptr);
    // The same over the argument bytes as they are.
    int run(const QList<QByteArray>& args, const OutputSink& sink, int* pagesShipped = nullptr);

    // The library's revision; nothing when it cannot be loaded. Never throws.
    std::optional<Revision> revision();

    // The library's file name or path once it is loaded; the empty text before that.
    QString libraryName() const;

private:
    Library& library();

    QStringList candidates_;
    std::unique_ptr<Library> library_;
};

// Turns Ghostscript's output bytes into text, piece by piece, in the locale's encoding. A
// character split across two pieces comes out whole with the second.
class OutputDecoder {
public:
    OutputDecoder() : decoder_(QStringDecoder::System) {}
    QString decode(QByteArrayView bytes) { return decoder_.decode(bytes); }

private:
    QStringDecoder decoder_;
};

// The text up to the first NUL byte, decoded with the locale's encoding.
QString stringFromPointer(const char* address);

} // namespace quillorn::gs
