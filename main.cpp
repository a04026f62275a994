#include "app/core/command_line.h"
#include "app/core/command_line_conversion.h"
#include "app/core/translations.h"
#include "app/core/view_settings.h"
#include "app/main_window.h"
#include "app/qt_user_dialogs.h"
#include "app/startup.h"
#include "base/version.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
QByteArrayList argumentsOf(int argc, char* argv[]) {
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}
} // namespace

int main(int argc, char* argv[]) {
    // A conversion from the command line needs no display and no window.
    if (argc > 1 && std::strcmp(argv[1], "--convert") == 0) {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(quillorn::kAppTitle);
        QCoreApplication::setApplicationVersion(quillorn::versionText());
        return quillorn::app::runConvertCommand(argumentsOf(argc, argv).mid(1), STDIN_FILENO);
    }
    // "--help" and "--version" need no display, so they are answered before Qt looks for one.
    QByteArrayList plain = argumentsOf(argc, argv);
    quillorn::app::takeNoSplash(plain);
    const quillorn::app::Road road = quillorn::app::decideRoad(false, plain).road;
    if (road == quillorn::app::Road::Help || road == quillorn::app::Road::Version) {
        const QString text = road == quillorn::app::Road::Help ? quillorn::app::usageText()
                                                               : quillorn::app::versionLine();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(quillorn::kAppTitle);
    QApplication::setApplicationVersion(quillorn::versionText());
    const quillorn::app::Translations translations; // the system locale's language
    quillorn::app::QtUserDialogs dialogs;
    // Qt has taken its own options out of argv; what is left are the bytes as the system passed
    // them, which QCoreApplication::arguments() would decode with losses.
    quillorn::app::Startup startup(
        dialogs, argumentsOf(argc, argv), STDIN_FILENO,
        {[&dialogs](quillorn::app::MainWindow& window) { dialogs.setParentWindow(&window); }});
    if (const std::optional<int> code = startup.run())
        return *code;
    return QApplication::exec();
}
