// The quillorn command. A conversion, --help and --version are answered here, by a program that
// loads no window libraries, so that a conversion starts as fast as the gs executable; for
// everything else the viewer takes this process's place.
#include "app/core/command_line.h"
#include "app/core/command_line_conversion.h"
#include "app/core/view_settings.h"
#include "app/core/viewer_program.h"
#include "base/version.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--convert") == 0) {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(quillorn::kAppTitle);
        QCoreApplication::setApplicationVersion(quillorn::versionText());
        return quillorn::app::runConvertCommand(quillorn::app::argumentsOf(argc, argv).mid(1),
                                                STDIN_FILENO);
    }
    QByteArrayList plain = quillorn::app::argumentsOf(argc, argv);
    quillorn::app::takeNoSplash(plain);
    const quillorn::app::Road road = quillorn::app::decideRoad(false, plain).road;
    if (road == quillorn::app::Road::Help || road == quillorn::app::Road::Version) {
        const QString text = road == quillorn::app::Road::Help ? quillorn::app::usageText()
                                                               : quillorn::app::versionLine();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    return quillorn::app::startViewer(argv);
}
