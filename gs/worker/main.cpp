// quillorn-gs: runs exactly one Ghostscript run for the program and ends. The library is loaded
// at once (so a worker started ahead of need is ready), then the run's request is read from
// standard input; everything Ghostscript writes goes back on standard output in frames, in
// order, the two streams kept apart, followed by the number of pages shipped and the run's code.
//   quillorn-gs [LIBRARY...]     the libraries to try, in order; the defaults without any
#include "base/failure.h"
#include "gs/api.h"
#include "gs/worker_protocol.h"

#include <QFile>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

using namespace quillorn;
using gs::protocol::Tag;

namespace {

bool writeAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.data(), static_cast<size_t>(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes = bytes.sliced(n);
    }
    return true;
}

void send(Tag tag, QByteArrayView payload = {}) {
    // The program is gone when it stops listening; so is the point of this run.
    if (!writeAll(STDOUT_FILENO, gs::protocol::frame(tag, payload)))
        ::_exit(4);
}

struct Request {
    QByteArray tempDir;
    QByteArray output;
    bool echo = false;
    QList<QByteArray> args;
};

std::optional<Request> readRequest() {
    gs::protocol::FrameReader reader;
    Request request;
    std::array<char, 65536> buffer{};
    for (;;) {
        while (const std::optional<gs::protocol::Frame> f = reader.next()) {
            switch (f->tag) {
            case Tag::TempDir:
                request.tempDir = f->payload;
                break;
            case Tag::Output:
                request.output = f->payload;
                break;
            case Tag::Echo:
                request.echo = true;
                break;
            case Tag::Argument:
                request.args << f->payload;
                break;
            case Tag::Run:
                return request;
            default:
                break;
            }
        }
        const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        reader.feed(QByteArrayView(buffer.data(), n));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    QStringList libraries;
    for (int i = 1; i < argc; ++i)
        libraries << QFile::decodeName(argv[i]);
    gs::Binding binding(libraries);
    binding.revision(); // load the library before the request comes

    std::optional<Request> request = readRequest();
    if (!request)
        return 2;
    if (!request->tempDir.isEmpty())
        ::setenv("TMPDIR", request->tempDir.constData(), 1);
    if (request->echo)
        send(Tag::Arguments, request->args.join('\0'));
    if (!request->output.isNull()) {
        // Ghostscript writes where the program says, under the same -sOutputFile switch.
        for (auto it = request->args.rbegin(); it != request->args.rend(); ++it)
            if (it->startsWith("-sOutputFile=")) {
                *it = "-sOutputFile=" + request->output;
                break;
            }
    }
    try {
        int pages = -1;
        const int code = binding.run(
            request->args,
            [](gs::Stream stream, QByteArrayView bytes) {
                send(stream == gs::Stream::Out ? Tag::Out : Tag::Err, bytes);
            },
            &pages);
        send(Tag::Pages, QByteArray::number(pages));
        send(Tag::Code, QByteArray::number(code));
        return 0;
    } catch (const Failure& failure) {
        const char kind = failure.kind == FailureKind::EntryPointMissing ? 'E' : 'L';
        send(Tag::Missing, kind + failure.description.toUtf8());
        return 3;
    }
}
