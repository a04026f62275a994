#include "system/core/package_installer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>
#include <climits>

namespace quillorn::system {

namespace {
const QString kService = QStringLiteral("org.freedesktop.PackageKit");
const QString kPath = QStringLiteral("/org/freedesktop/PackageKit");
const QString kInterface = QStringLiteral("org.freedesktop.PackageKit.Modify2");
// The desktop entry the installer names as the program asking.
const QString kDesktopId = QStringLiteral("org.quillorn.Quillorn");
// The user answers the installer's questions and the packages download meanwhile: the call has
// no time limit (libdbus reads INT_MAX as none). The waiting window's Cancel ends the wait.
constexpr int kNoTimeout = INT_MAX;
} // namespace

PackageInstaller::PackageInstaller(QObject* parent) : QObject(parent) {}

PackageInstaller::~PackageInstaller() = default;

void PackageInstaller::start(const QStringList& packages) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("InstallPackageNames"));
    // packages, interaction (empty: the desktop's own choice of questions and progress), the
    // desktop id, platform data.
    call << packages << QString() << kDesktopId << QVariantMap();
    // On a session bus that is not there the call is already answered with an error; the watcher
    // still reports it from the event loop.
    watcher_ = std::make_unique<QDBusPendingCallWatcher>(
        QDBusConnection::sessionBus().asyncCall(call, kNoTimeout));
    connect(watcher_.get(), &QDBusPendingCallWatcher::finished, this, &PackageInstaller::answer);
}

void PackageInstaller::answer(QDBusPendingCallWatcher* watcher) {
    if (watcher != watcher_.get())
        return;
    // Not deleted here: it is the sender of the signal being handled.
    watcher_.release()->deleteLater();
    if (!watcher->isError()) {
        Q_EMIT finished(true, {});
        return;
    }
    const QDBusError error = watcher->error();
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
        Q_EMIT finished(false, tr("no package installer (PackageKit) answers on the desktop's "
                                  "session bus"));
        return;
    default:
        Q_EMIT finished(false, error.message().isEmpty() ? error.name() : error.message());
    }
}

} // namespace quillorn::system
