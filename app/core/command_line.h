#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTemporaryDir;

namespace quillorn::app {

// The ways a start can go, decided before any window exists.
enum class Road {
    Help,        // "--help" alone: the usage on standard output, no window
    Version,     // "--version" alone: the version on standard output, no window
    PrintJob,    // standard input held a job: only the conversion dialog, then the end
    Convert,     // "/CONVERT:<path>": only the conversion dialog
    View,        // "/VIEW:<path>", or one argument naming an existing file: the main window, then
                 // the document
    Interactive, // nothing asked for: the main window
    Invalid,     // anything else: a message, then the main window
};

struct StartRequest {
    Road road = Road::Interactive;
    QString argument;       // the document (Convert, View), as text
    QByteArray rawArgument; // the same as the bytes the program was given
    QString commandLine;    // the whole command line, for the Invalid message
};

// The arguments after the program's name, as the bytes the system passed them: what
// QCoreApplication::arguments() would decode with losses.
QList<QByteArray> argumentsOf(int argc, char* argv[]);

// The program's arguments (after its own name and Qt's options) as one text, single blanks
// between them; bytes that are no text in the system's encoding come out replaced.
QString joinCommandLine(const QList<QByteArray>& arguments);

// Splits at the first colon: the switch before it in upper case, the argument after it unchanged.
// False when the command line holds no colon.
bool splitSwitch(const QString& commandLine, QString& switchText, QString& argument);

// Decides in this order: "--help" or "--version" alone; a print job; no arguments; "/CONVERT:"
// or "/VIEW:" (the switch in any case, the path everything after the first colon of the whole
// command line); a single argument for which isFile says true; anything else is Invalid.
StartRequest decideRoad(bool havePrintJob, const QList<QByteArray>& arguments,
                        const std::function<bool(const QByteArray&)>& isFile = {});

// True when the bytes name an existing file (or a link to one), whether or not they decode.
bool namesFile(const QByteArray& rawPath);

// What "--help" and "--version" print.
QString usageText();
QString versionLine();

// Paths for files named by bytes that are no text in the system's encoding, which Qt cannot
// open by name: a symbolic link with a text name, in a private folder of this process that lives
// as long as this object, points at the file.
class OpenablePaths {
public:
    OpenablePaths();
    ~OpenablePaths();
    OpenablePaths(const OpenablePaths&) = delete;
    OpenablePaths& operator=(const OpenablePaths&) = delete;

    // The path decoded when it decodes and encodes back to the same bytes; otherwise such a
    // link, or the path decoded as well as it goes when no link can be made.
    QString openable(const QByteArray& rawPath);
    // The name output files are proposed from for that file: beside it with the link's name when
    // its folder has a text name, otherwise in the home folder. Empty for a path that decodes.
    static QString outputBase(const QByteArray& rawPath);

private:
    std::unique_ptr<QTemporaryDir> folder_;
};

} // namespace quillorn::app
