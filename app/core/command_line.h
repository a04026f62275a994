#pragma once

#include <QString>
#include <QStringList>

namespace quillorn::app {

// The four ways a start can go, decided before any window exists.
enum class Road {
    PrintJob,    // standard input held a job: only the conversion dialog, then the end
    Convert,     // "/CONVERT:<path>": only the conversion dialog
    View,        // "/VIEW:<path>": the main window, then the document
    Interactive, // nothing asked for: the main window
    Invalid,     // anything else: a message, then the main window
};

struct StartRequest {
    Road road = Road::Interactive;
    QString argument;    // the path after the first colon (Convert, View)
    QString commandLine; // the whole command line, for the Invalid message
};

// The program's arguments (after its own name and Qt's options) as one text, single blanks
// between them.
QString joinCommandLine(const QStringList& arguments);

// Splits at the first colon: the switch before it in upper case, the argument after it unchanged.
// False when the command line holds no colon.
bool splitSwitch(const QString& commandLine, QString& switchText, QString& argument);

StartRequest decideRoad(bool havePrintJob, const QString& commandLine);

} // namespace quillorn::app
