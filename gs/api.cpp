#include "gs/api.h"

#include "base/failure.h"
#include "gs/library.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
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
};

extern "C" int stdinCallback(void*, char*, int) {
    return 0; // a document that reads standard input finds its end at once
}

int write(void* handle, Stream stream, const char* buffer, int length) {
    const auto* context = static_cast<const RunContext*>(handle);
    if (context && context->sink && *context->sink)
        (*context->sink)(stream, QByteArrayView(buffer, length > 0 ? length : 0));
    return length;
}

extern "C" int stdoutCallback(void* handle, const char* buffer, int length) {
    return write(handle, Stream::Out, buffer, length);
}

extern "C" int stderrCallback(void* handle, const char* buffer, int length) {
    return write(handle, Stream::Err, buffer, length);
}

// Under -dSAFER Ghostscript still lets a document create and delete files in its temporary
// directory. Each run therefore gets an empty private one (Ghostscript reads TMPDIR when the
// instance starts), removed with everything in it when the run ends; the caller's TMPDIR comes
// back afterwards.
class ScratchTmpDir {
public:
    ScratchTmpDir()
        : hadOld_(qEnvironmentVariableIsSet("TMPDIR")), old_(qgetenv("TMPDIR")),
          dir_(QDir::tempPath() + QStringLiteral("/quillorn-gs-XXXXXX")) {
        if (dir_.isValid())
            qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    }
    ~ScratchTmpDir() {
        if (hadOld_)
            qputenv("TMPDIR", old_);
        else
            qunsetenv("TMPDIR");
    }
    ScratchTmpDir(const ScratchTmpDir&) = delete;
    ScratchTmpDir& operator=(const ScratchTmpDir&) = delete;

private:
    bool hadOld_;
    QByteArray old_;
    QTemporaryDir dir_;
};

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

int Binding::run(const QStringList& args, const OutputSink& sink) {
    Library& lib = library();
    ScratchTmpDir scratch;
    RunContext context{&sink};

    void* instance = nullptr;
    int code = lib.newInstance(&instance, &context);
    if (code < 0)
        return code;

    code = lib.setStdio(instance, &stdinCallback, &stdoutCallback, &stderrCallback);
    if (code >= 0) {
        std::vector<QByteArray> bytes;
        bytes.reserve(static_cast<size_t>(args.size()));
        std::vector<char*> argv;
        argv.reserve(static_cast<size_t>(args.size()) + 1);
        for (const QString& arg : args) {
            bytes.push_back(QFile::encodeName(arg));
            argv.push_back(bytes.back().data());
        }
        argv.push_back(nullptr);
        code = lib.initWithArgs(instance, static_cast<int>(args.size()), argv.data());
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
                        static_cast<qint32>(record.revisionDate),
                        stringFromPointer(record.product), stringFromPointer(record.copyright)};
    } catch (const Failure&) {
        return std::nullopt;
    }
}

QString stringFromPointer(const char* address) {
    return address ? QString::fromLocal8Bit(address) : QString();
}

} // namespace quillorn::gs
