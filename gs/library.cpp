#include "gs/library.h"

#include "base/failure.h"

#include <QCoreApplication>
#include <QFile>
#include <dlfcn.h>

namespace quillorn::gs {

namespace {
template <typename Fn> Fn resolve(void* handle, const char* symbol, const QString& library) {
    void* address = dlsym(handle, symbol);
    if (!address)
        throw Failure{FailureKind::EntryPointMissing,
                      QCoreApplication::translate("quillorn::gs", "Can't find entry point %1 in %2")
                          .arg(QLatin1String(symbol), library)};
    return reinterpret_cast<Fn>(address);
}
} // namespace

Library::Library(const QStringList& candidates) {
    QStringList reasons;
    for (const QString& candidate : candidates) {
        // Never unmapped: libgs and the libraries it pulls in keep thread-local data and
        // fontconfig state that must outlive a handle we let go of.
        handle_ =
            dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle_) {
            name_ = candidate;
            break;
        }
        reasons << QString::fromLocal8Bit(dlerror());
    }
    if (!handle_)
        throw Failure{
            FailureKind::LibraryMissing,
            QCoreApplication::translate("quillorn::gs",
                                        "Error in loading the Ghostscript library %1 (%2)")
                .arg(candidates.join(QStringLiteral(", ")), reasons.join(QStringLiteral("; ")))};
    try {
        revision = resolve<RevisionFn>(handle_, "gsapi_revision", name_);
        newInstance = resolve<NewInstanceFn>(handle_, "gsapi_new_instance", name_);
        setStdio = resolve<SetStdioFn>(handle_, "gsapi_set_stdio", name_);
        initWithArgs = resolve<InitWithArgsFn>(handle_, "gsapi_init_with_args", name_);
        exit = resolve<ExitFn>(handle_, "gsapi_exit", name_);
        deleteInstance = resolve<DeleteInstanceFn>(handle_, "gsapi_delete_instance", name_);
        runString = reinterpret_cast<RunStringFn>(dlsym(handle_, "gsapi_run_string_with_length"));
    } catch (...) {
        dlclose(handle_);
        throw;
    }
}

Library::~Library() {
    dlclose(handle_);
}

} // namespace quillorn::gs
