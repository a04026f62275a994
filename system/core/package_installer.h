#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QDBusPendingCallWatcher;

namespace quillorn::system {

// The package that holds the Ghostscript library the binding loads, as Debian names it.
inline const QString kGhostscriptPackage = QStringLiteral("libgs10");

// Installs packages through the desktop's package installer: PackageKit's session interface,
// whose service asks the user, installs as root and answers when it is done. Nothing here waits:
// the answer comes as a signal from the event loop.
class PackageInstaller : public QObject {
    Q_OBJECT
public:
    explicit PackageInstaller(QObject* parent = nullptr);
    ~PackageInstaller() override;

    // Asks for the packages. finished follows once, from the event loop, also when there is no
    // session bus or no installer on it. A request still unanswered is dropped.
    void start(const QStringList& packages);

Q_SIGNALS:
    // error says, for the user, why nothing was installed; it is empty when ok.
    void finished(bool ok, const QString& error);

private:
    void answer(QDBusPendingCallWatcher* watcher);

    std::unique_ptr<QDBusPendingCallWatcher> watcher_;
};

} // namespace quillorn::system
