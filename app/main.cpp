#include "app/messages_host.h"
#include "app/qt_services.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillorn"));
    quillorn::QtServices services;
    quillorn::MessagesHost messages(services);
    messages.Get().AddMessage(QStringLiteral("Quillorn 0.1\r\n\r\n"));
    messages.Get().show();
    return QApplication::exec();
}
