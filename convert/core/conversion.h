#pragma once

#include "options/core/options.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace quillorn {
class MessageSink;
class UserDialogs;
namespace gs {
class Runner;
}
} // namespace quillorn

namespace quillorn::convert {

// What the conversion dialog shows when Convert is pressed.
struct ConvertSettings {
    QString inputFile;
    int format = -1; // -1: no entry chosen
    int choice = -1; // the selected option of the format's frame, top to bottom
    QString jpegQuality;
    QString resolution;
    int graphicsAlpha = -1; // position of the chosen entry of "1", "2", "4"; -1: none
    int textAlpha = -1;
    QString output;
};

// The argument line without the output and input files.
QString convertArgumentLine(const ConvertSettings& settings, const options::Options& options);
// The line split into elements, with the output and input files appended whole.
QStringList convertArgumentList(const ConvertSettings& settings, const options::Options& options);

// The argument list as the loaded Ghostscript takes it. Anti-aliasing means nothing to the
// devices that write page descriptions (PDF, PostScript, EPS, PCL-XL); older Ghostscript ignored
// the switches for them, current versions refuse to run, so they are left out for those devices.
QStringList libraryArguments(const QStringList& args);

inline const QString kConversionErrorPrompt =
    QStringLiteral("It looks like an error occured within the PostScript conversion program. "
                   "Would you like to take a look at the messages?");
inline const QString kConversionErrorTitle = QStringLiteral("Error in conversion");

enum class RunOutcome {
    CloseDialog,          // converted (or the user let a failure pass)
    CloseAndShowMessages, // the user wants to see Ghostscript's messages
    KeepOpen,             // aborted or refused; the dialog keeps its settings
};

// What a conversion run needs around it.
struct ConversionContext {
    UserDialogs& dialogs;
    gs::Runner& runner;
    MessageSink& messages;
    // Receives the main window's status texts; empty in standalone use.
    std::function<void(const QString&)> status;
};

// One press of Convert: builds the line, runs Ghostscript once over all pages and checks that
// this run wrote the first output file. Failures are put to the user.
RunOutcome runConversion(const ConvertSettings& settings, const options::Options& options,
                         const ConversionContext& context);

} // namespace quillorn::convert
