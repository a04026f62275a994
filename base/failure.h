#pragma once

#include <QString>

namespace quillorn {

// Why a step of a user's action failed. The step runner turns it into the text the user sees.
enum class FailureKind {
    NoOutput,          // Ghostscript left no page or no output file
    FileAccess,        // a file or folder could not be made, opened or removed
    Refused,           // the document asked for more than a run gives: a page too large, a flood
    OutOfMemory,       // the program itself ran out of memory
    LibraryMissing,    // the Ghostscript library cannot be loaded
    EntryPointMissing, // the library lacks one of the interpreter's entry points
    Internal,          // anything else
};

struct Failure {
    FailureKind kind = FailureKind::Internal;
    QString description;
};

// The user stopped the action (or a newer request took its place): it ends quietly.
struct Cancelled {};

} // namespace quillorn
