#include "app/app_main.h"
#include "app/frmMain.h"
#include "app/messages_host.h"
#include "app/qt_services.h"

#include <QApplication>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillorn"));
    quillorn::QtServices services;
    quillorn::MessagesHost messages(services);
    quillorn::app::MainHooks hooks;
    hooks.mainWindowCreated = [&services](quillorn::app::frmMain& window) {
        services.SetParentWindow(&window);
    };
    // Qt has already taken its own options out of the arguments.
    const auto window = quillorn::app::Main(QCoreApplication::arguments().mid(1), STDIN_FILENO,
                                            services, messages, hooks);
    if (!window)
        return 0;
    return QApplication::exec();
}
