#include "gs/gsapi_binding.h"

#include "app/core/message_log.h"
#include "gs/gs_library.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

namespace quillorn::gs {

LibraryError::LibraryError(int code, const QString& description)
    : std::runtime_error(description.toStdString()), code_(code) {}

QString PrivateLibraryDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillorn/lib");
}

QStringList DefaultLibraryCandidates() {
    QStringList candidates;
    const QDir dir(PrivateLibraryDirectory());
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

struct Binding {
    QStringList candidates;
    std::unique_ptr<Library> library;
};

Binding& State() {
    static Binding binding;
    return binding;
}

// Loaded on first use and kept for the rest of the run; a failed load is tried again next time,
// since the installation check may have put a library in place meanwhile.
Library& TheLibrary() {
    Binding& b = State();
    if (!b.library)
        b.library = std::make_unique<Library>(b.candidates.isEmpty() ? DefaultLibraryCandidates()
                                                                     : b.candidates);
    return *b.library;
}

// Ghostscript hands over output in chunks that may split a multi-byte character; the decoder
// keeps the incomplete tail for the next chunk. One per run.
std::optional<QStringDecoder>& RunDecoder() {
    static std::optional<QStringDecoder> decoder;
    return decoder;
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

class RunScope {
public:
    RunScope() { RunDecoder().emplace(QStringDecoder::System); }
    ~RunScope() { RunDecoder().reset(); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
};

} // namespace

void SetLibraryCandidates(const QStringList& candidates) {
    State().library.reset();
    State().candidates = candidates;
}

QString LoadedLibraryName() {
    const Binding& b = State();
    return b.library ? b.library->Name() : QString();
}

bool RunGhostscript(const QStringList& args) {
    Library& lib = TheLibrary();
    RunScope scope;
    ScratchTmpDir scratch;

    void* instance = nullptr;
    if (lib.newInstance(&instance, nullptr) < 0)
        return false;

    int code = lib.setStdio(instance, &StdinCallback, &StdoutCallback, &StderrCallback);
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
    return code >= 0;
}

bool GetGhostscriptRevision(qint32& revision, qint32& revisionDate, QString& product,
                            QString& notice) {
    try {
        Library& lib = TheLibrary();
        RevisionRecord record{};
        lib.revision(&record, static_cast<int>(sizeof record));
        revision = static_cast<qint32>(record.revision);
        revisionDate = static_cast<qint32>(record.revisionDate);
        product = StringFromPointer(record.product);
        notice = StringFromPointer(record.copyright);
        return true;
    } catch (const LibraryError&) {
        return false;
    }
}

QString StringFromPointer(const char* address) {
    return address ? QString::fromLocal8Bit(address) : QString();
}

extern "C" {

int StdinCallback(void*, char*, int) {
    return 0;
}

int StdoutCallback(void*, const char* buffer, int length) {
    const QByteArrayView chunk(buffer, length > 0 ? length : 0);
    auto& decoder = RunDecoder();
    AddMessage(decoder ? decoder->decode(chunk) : QString::fromLocal8Bit(chunk));
    return length;
}

int StderrCallback(void* callerHandle, const char* buffer, int length) {
    return StdoutCallback(callerHandle, buffer, length);
}
}

} // namespace quillorn::gs
