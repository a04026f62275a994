#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QLoggingCategory>
#include <optional>

namespace quillorn::gs::protocol {

// "quillorn.worker": what the program sends its workers, the frames they answer with, and how
// each worker ended. Debug messages, off unless QT_LOGGING_RULES turns them on.
Q_DECLARE_LOGGING_CATEGORY(lcWorker)

// What the program and a worker say to each other. Both ways the bytes are frames: a tag byte,
// a 4-byte little-endian length, that many bytes.
enum class Tag : char {
    // program -> worker, on its standard input
    Library = 'l',  // a library to try, in order (the defaults when none is given)
    TempDir = 't',  // Ghostscript's temporary directory for the run
    Output = 'w',   // where Ghostscript really writes, in place of the -sOutputFile name
    Echo = 'x',     // report the argument vector received (test mode)
    Argument = 'A', // one element of the argument vector, in order
    Run = 'R',      // the request is complete
    // worker -> program, on its standard output
    Out = 'o',       // a piece of Ghostscript's standard output
    Err = 'e',       // a piece of Ghostscript's standard error
    Arguments = 'a', // the argument vector received, elements separated by NUL bytes
    Pages = 'p',     // pages the output device shipped, as decimal text
    Code = 'c',      // gsapi_init_with_args's return code, as decimal text
    Missing = 'm',   // the library cannot be had; the reason as text
};

QByteArray frame(Tag tag, QByteArrayView payload = {});

struct Frame {
    Tag tag;
    QByteArray payload;
};

// Cuts a byte stream into frames as the bytes arrive.
class FrameReader {
public:
    void feed(QByteArrayView bytes) { buffer_.append(bytes); }
    // The next whole frame, or nothing until more bytes have arrived.
    std::optional<Frame> next();

private:
    QByteArray buffer_;
    qsizetype read_ = 0;
};

} // namespace quillorn::gs::protocol
