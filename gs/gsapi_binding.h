#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace quillorn::gs {

// A library or entry point that cannot be had. The code follows the numbering the rest of the
// program reports errors with: 48 the library cannot be loaded, 453 an entry point is missing.
class LibraryError : public std::runtime_error {
public:
    LibraryError(int code, const QString& description);
    int Code() const { return code_; }
    QString Description() const { return QString::fromUtf8(what()); }

private:
    int code_;
};

inline constexpr int kErrLoadLibrary = 48;
inline constexpr int kErrEntryPoint = 453;

// Quillorn's private library directory: lib/ under the user's application data directory.
// The installation check copies a found Ghostscript library there; it is tried first.
QString PrivateLibraryDirectory();

// Where the library is looked for, in order: files in the private directory, then names for the
// system loader.
QStringList DefaultLibraryCandidates();

// Replaces the candidates (and forgets a library already loaded). An empty list restores the
// defaults. Lets tests point the binding at a stand-in or at nothing.
void SetLibraryCandidates(const QStringList& candidates);

// The library's file name or path once it is loaded; the empty text before that.
QString LoadedLibraryName();

// One complete Ghostscript run over the argument list (element 0 is the program word).
// True when gsapi_init_with_args returned 0 or more. Throws LibraryError when the library
// cannot be loaded. Everything Ghostscript prints goes to AddMessage.
bool RunGhostscript(const QStringList& args);

// True when the library could be called; never throws.
bool GetGhostscriptRevision(qint32& revision, qint32& revisionDate, QString& product,
                            QString& notice);

// The text up to the first NUL byte, decoded with the locale's encoding.
QString StringFromPointer(const char* address);

// The three output callbacks that Ghostscript calls during a run.
extern "C" {
int StdinCallback(void* callerHandle, char* buffer, int length);
int StdoutCallback(void* callerHandle, const char* buffer, int length);
int StderrCallback(void* callerHandle, const char* buffer, int length);
}

} // namespace quillorn::gs
