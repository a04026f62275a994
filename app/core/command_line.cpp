#include "app/core/command_line.h"

namespace quillorn::app {

QString joinCommandLine(const QStringList& arguments) {
    return arguments.join(u' ');
}

bool splitSwitch(const QString& commandLine, QString& switchText, QString& argument) {
    const qsizetype colon = commandLine.indexOf(u':');
    if (colon < 0)
        return false;
    switchText = commandLine.left(colon).toUpper();
    argument = commandLine.mid(colon + 1);
    return true;
}

StartRequest decideRoad(bool havePrintJob, const QString& commandLine) {
    StartRequest request;
    request.commandLine = commandLine;
    if (havePrintJob) {
        request.road = Road::PrintJob;
        return request;
    }
    if (commandLine.isEmpty()) {
        request.road = Road::Interactive;
        return request;
    }
    QString switchText, argument;
    if (!splitSwitch(commandLine, switchText, argument)) {
        request.road = Road::Invalid;
        return request;
    }
    if (switchText == QLatin1String("/CONVERT"))
        request.road = Road::Convert;
    else if (switchText == QLatin1String("/VIEW"))
        request.road = Road::View;
    else
        request.road = Road::Invalid;
    if (request.road != Road::Invalid)
        request.argument = argument;
    return request;
}

} // namespace quillorn::app
