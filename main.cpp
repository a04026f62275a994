#include "app/main_window.h"
#include "app/qt_user_dialogs.h"
#include "app/startup.h"
#include "base/version.h"

#include <QApplication>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(quillorn::kAppTitle);
    QApplication::setApplicationVersion(quillorn::versionText());
    quillorn::app::QtUserDialogs dialogs;
    // Qt has already taken its own options out of the arguments.
    quillorn::app::Startup startup(
        dialogs, QCoreApplication::arguments().mid(1), STDIN_FILENO,
        {[&dialogs](quillorn::app::MainWindow& window) { dialogs.setParentWindow(&window); }});
    if (const std::optional<int> code = startup.run())
        return *code;
    return QApplication::exec();
}
