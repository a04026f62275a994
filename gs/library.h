#pragma once

#include <QString>
#include <QStringList>

namespace quillorn::gs {

extern "C" {
struct RevisionRecord {
    const char* product;
    const char* copyright;
    long revision;
    long revisionDate;
};
using StdinFn = int (*)(void*, char*, int);
using OutputFn = int (*)(void*, const char*, int);
using RevisionFn = int (*)(RevisionRecord*, int);
using NewInstanceFn = int (*)(void**, void*);
using DeleteInstanceFn = void (*)(void*);
using SetStdioFn = int (*)(void*, StdinFn, OutputFn, OutputFn);
using InitWithArgsFn = int (*)(void*, int, char**);
using ExitFn = int (*)(void*);
using RunStringFn = int (*)(void*, const char*, unsigned int, int, int*);
}

// An open Ghostscript library with all six entry points resolved.
class Library {
public:
    // Tries each candidate in turn; throws Failure (LibraryMissing or EntryPointMissing) when
    // none loads or an entry point is missing from the one that does.
    explicit Library(const QStringList& candidates);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const QString& name() const { return name_; }

    RevisionFn revision = nullptr;
    NewInstanceFn newInstance = nullptr;
    DeleteInstanceFn deleteInstance = nullptr;
    SetStdioFn setStdio = nullptr;
    InitWithArgsFn initWithArgs = nullptr;
    ExitFn exit = nullptr;
    // Not needed for a run; null when the library lacks it.
    RunStringFn runString = nullptr;

private:
    void* handle_ = nullptr;
    QString name_;
};

} // namespace quillorn::gs
