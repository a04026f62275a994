// The viewer, which the quillorn command starts in its own place.
#include "app/core/command_line.h"
#include "app/core/translations.h"
#include "app/main_window.h"
#include "app/qt_user_dialogs.h"
#include "app/startup.h"
#include "base/version.h"
#include "viewer/core/page_bitmap.h"

#include <QApplication>
#include <unistd.h>

int main(int argc, char* argv[]) {
    quillorn::viewer::returnFreedPicturesToSystem();
    QApplication application(argc, argv);
    QApplication::setApplicationName(quillorn::kAppTitle);
    QApplication::setApplicationVersion(quillorn::versionText());
    const quillorn::app::Translations translations; // the system locale's language
    quillorn::app::QtUserDialogs dialogs;
    // Qt has taken its own options out of argv; what is left are the bytes as the system passed
    // them, which QCoreApplication::arguments() would decode with losses.
    quillorn::app::Startup startup(
        dialogs, quillorn::app::argumentsOf(argc, argv), STDIN_FILENO,
        {[&dialogs](quillorn::app::MainWindow& window) { dialogs.setParentWindow(&window); }});
    if (const std::optional<int> code = startup.run())
        return *code;
    return QApplication::exec();
}
