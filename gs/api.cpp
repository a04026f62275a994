#include "gs/api.h"

#include "base/failure.h"
#include "gs/library.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <vector>

namespace quillorn::gs {

QString privateLibraryDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillorn/lib");
}

QStringList defaultLibraryCandidates() {
    QStringList candidates;
    const QDir dir(privateLibraryDirectory());
    for (const char* name : {"libgs.so.10", "libgs.so.9", "libgs.so"}) {
        const QString path = dir.filePath(QLatin1String(name));
        if (QFile::exists(path))
            candidates << path;
    }
    candidates << QStringLiteral("libgs.so.10") << QStringLiteral("libgs.so.9")
               << QStringLiteral("libgs.so");
    return candidates;
}

namespace {

// Ghostscript hands the caller handle back to the callbacks; it carries the run's sink.
struct RunContext {
    const OutputSink* sink;
    QByteArray* captured = nullptr; // while set, output goes here instead of the sink
};

extern "C" int stdinCallback(void*, char*, int) {
    return 0; // a document that reads standard input finds its end at once
}

int write(void* handle, Stream stream, const char* buffer, int length) {
    const auto* context = static_cast<const RunContext*>(handle);
    if (context && context->captured)
        context->captured->append(buffer, length > 0 ? length : 0);
    else if (context && context->sink && *context->sink)
        (*context->sink)(stream, QByteArrayView(buffer, length > 0 ? length : 0));
    return length;
}

extern "C" int stdoutCallback(void* handle, const char* buffer, int length) {
    return write(handle, Stream::Out, buffer, length);
}

extern "C" int stderrCallback(void* handle, const char* buffer, int length) {
    return write(handle, Stream::Err, buffer, length);
}

} // namespace

Binding::Binding(QStringList candidates) : candidates_(std::move(candidates)) {}

Binding::~Binding() = default;

Library& Binding::library() {
    if (!library_)
        library_ = std::make_unique<Library>(candidates_.isEmpty() ? defaultLibraryCandidates()
                                                                   : candidates_);
    return *library_;
}

QString Binding::libraryName() const {
    return library_ ? library_->name() : QString();
}

int Binding::run(const QStringList& args, const OutputSink& sink, int* pagesShipped) {
    QList<QByteArray> bytes;
    bytes.reserve(args.size());
    for (const QString& arg : args)
        bytes << QFile::encodeName(arg);
    return run(bytes, sink, pagesShipped);
}

int Binding::run(const QList<QByteArray>& args, const OutputSink& sink, int* pagesShipped) {
    Library& lib = library();
    RunContext context{&sink};
    if (pagesShipped)
        *pagesShipped = -1;

    void* instance = nullptr;
    int code = lib.newInstance(&instance, &context);
    if (code < 0)
        return code;

    code = lib.setStdio(instance, &stdinCallback, &stdoutCallback, &stderrCallback);
    if (code >= 0) {
        QList<QByteArray> copies = args; // Ghostscript takes char*, not const char*
        std::vector<char*> argv;
        argv.reserve(static_cast<size_t>(copies.size()) + 1);
        for (QByteArray& arg : copies)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        code = lib.initWithArgs(instance, static_cast<int>(copies.size()), argv.data());
        if (pagesShipped && lib.runString) {
            // The output device counts the pages it shipped; asked after the job, quietly.
            QByteArray answer;
            context.captured = &answer;
            static const char kAsk[] = "currentpagedevice /PageCount get = flush\n";
            int exitCode = 0;
            lib.runString(instance, kAsk, sizeof kAsk - 1, 0, &exitCode);
            context.captured = nullptr;
            bool ok = false;
            const int pages = answer.trimmed().toInt(&ok);
            if (ok)
                *pagesShipped = pages;
        }
        lib.exit(instance);
    }
    lib.deleteInstance(instance);
    return code;
}

std::optional<Revision> Binding::revision() {
    try {
        Library& lib = library();
        RevisionRecord record{};
        lib.revision(&record, static_cast<int>(sizeof record));
        return Revision{static_cast<qint32>(record.revision),
                        static_cast<qint32>(record.revisionDate), stringFromPointer(record.product),
                        stringFromPointer(record.copyright)};
    } catch (const Failure&) {
        return std::nullopt;
    }
}

QString stringFromPointer(const char* address) {
    return address ? QString::fromLocal8Bit(address) : QString();
}

} // namespace quillorn::gs
