#include "app/core/thumbnail.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    // A thumbnailer is started by the file browser with no display of its own.
    QCoreApplication application(argc, argv);
    return quillorn::app::runThumbnailer(QCoreApplication::arguments().mid(1));
}
