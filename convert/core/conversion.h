#pragma once

#include "base/step_runner.h"
#include "base/user_dialogs.h"
#include "convert/core/document_input.h"
#include "gs/runner.h"
#include "options/core/options.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace quillorn {
class MessageSink;
class UserDialogs;
namespace gs {
class Runner;
}
} // namespace quillorn

namespace quillorn::convert {

class OutputStaging;
class SplitConversion;

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

// What the command line chooses of a document besides the dialog's settings; the dialog
// converts every page.
struct InputChoices {
    int firstPage = 0; // 0: from the first page
    int lastPage = 0;  // 0: to the last
    QString password;  // a PDF's
};

// The arguments of a conversion, ending in the output (in Ghostscript's form: a "%" that is no
// page placeholder doubled) and the input file; an EPS input is cropped to its bounding box. The
// orientation is the view's alone: a conversion writes the document as it is.
QStringList convertArgumentList(const ConvertSettings& settings, const options::Options& options);

// The argument list as the loaded Ghostscript takes it. Anti-aliasing means nothing to the
// devices that write page descriptions (PDF, PostScript, EPS, PCL-XL); older Ghostscript ignored
// the switches for them, current versions refuse to run, so they are left out for those devices.
QStringList libraryArguments(const QStringList& args);

inline const QString kConversionErrorPrompt =
    QStringLiteral("It looks like an error occurred within the PostScript conversion program. "
                   "Would you like to take a look at the messages?");
inline const QString kConversionErrorTitle = QStringLiteral("Error in conversion");

enum class RunOutcome {
    CloseDialog,          // converted (or the user let a failure pass)
    CloseAndShowMessages, // the user wants to see Ghostscript's messages
    KeepOpen,             // aborted or refused; the dialog keeps its settings
};

// Shows how a running conversion gets on and lets the user stop it.
class ConversionProgress {
public:
    virtual ~ConversionProgress() = default;
    // Ghostscript has started; pageCount when the document's pages are known cheaply, cancel
    // stops the run.
    virtual void started(std::optional<int> pageCount, std::function<void()> cancel) = 0;
    // Ghostscript is at this page.
    virtual void pageReached(int page) = 0;
    virtual void finished() = 0;
};

// What a conversion run needs around it.
struct ConversionContext {
    UserDialogs& dialogs;
    gs::Runner& runner;
    MessageSink& messages;
    // Receives the main window's status texts; empty in standalone use.
    std::function<void(const QString&)> status;
    ConversionProgress* progress = nullptr;
    // The PDF's password, when the viewer has one for the document.
    QString password = {};
};

// True when Ghostscript's output says that it made no page of the document: it could not read
// it, it has no pages, or it wants a password.
bool saysNoPages(const QString& output);

// The pages and the password chosen (-dFirstPage, -dLastPage, -sPDFPassword), put before the
// output file of an argument list; the list as it is when none are.
QStringList withInputSwitches(QStringList args, const InputChoices& choices);

// True for the formats that write one picture per file (BMP, JPEG, PCX, PNG, PNM, PSD): without
// a page placeholder, the pages after the first go to "name-2.ext", "name-3.ext", ...
bool writesOnePagePerFile(int format);

// One press of Convert: builds the line, runs Ghostscript over all pages (shared among several
// workers where SplitConversion can) and puts what the run wrote at the output's names; nothing
// there changes before the run has produced pages. Failures are put to the user. The conversion
// answers with finished() from the event loop; destroying it first stops it and leaves the
// output's names as they were.
class Conversion : public QObject {
    Q_OBJECT
public:
    Conversion(ConvertSettings settings, options::Options options, ConversionContext context,
               QObject* parent = nullptr);
    ~Conversion() override;

    // The most workers a document's pages are shared among (0: as many as the machine allows).
    void setMostWorkers(int workers) { mostWorkers_ = workers; }
    void setInputChoices(InputChoices choices) { choices_ = std::move(choices); }

    void start();
    // Stops the run under way; the conversion ends as stopped.
    void stop();

Q_SIGNALS:
    void finished(quillorn::convert::RunOutcome outcome);

private:
    // The steps, in order.
    void readInput();
    void runGhostscript();
    void ranGhostscript(const gs::RunResult& result);
    // Runs again with a password when a PDF wants one and the user gives it.
    void askPassword();
    void publish();
    void end(RunOutcome outcome);
    void status(const QString& text) const;

    ConvertSettings settings_;
    options::Options options_;
    ConversionContext context_;
    StepRunner steps_;
    QStringList args_;
    QElapsedTimer timer_;
    std::optional<BusyCursor> busy_;
    std::optional<ConversionInput> input_; // a compressed input decompressed
    std::unique_ptr<OutputStaging> staging_;
    std::unique_ptr<SplitConversion> split_;
    gs::RunResult result_;
    QString output_; // what Ghostscript said, for the verdict
    int mostWorkers_ = 0;
    InputChoices choices_; // the pages and the PDF's password
};

} // namespace quillorn::convert
