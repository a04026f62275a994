#pragma once

#include "app/core/console_dialogs.h"
#include "base/temp_files.h"
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "gs/worker_runner.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace quillorn::app {

class OpenablePaths;
class TerminationSignals;

// What "quillorn --convert ..." asks for.
struct ConvertRequest {
    QList<QByteArray> inputs; // as the system passed them; "-" is standard input
    int format = convert::kFormatPdf;
    int choice = -1; // the format's default
    QString resolution = QStringLiteral("72");
    QString output; // empty: beside each input, named as the conversion dialog proposes
    int firstPage = 0;
    int lastPage = 0;
    int jobs = 0; // 0: as many workers as the machine allows
    QString password;
    bool force = false;
    bool unsafe = false;
    bool quiet = false;
    bool verbose = false;
    bool help = false;
};

// The request the arguments after "--convert" make, or the usage error they are.
struct ParsedConvertRequest {
    std::optional<ConvertRequest> request;
    QString error;
};
ParsedConvertRequest parseConvertArguments(const QList<QByteArray>& arguments);

// The output name for one input whose outputs are proposed from proposalBase (the input's path,
// or what stands in for it): the dialog's proposal beside it without --output; with an --output
// that is a folder (or ends in "/"), the proposal's file name in that folder; otherwise the
// --output itself, "%n" in it standing for the input's name without its extension.
QString outputNameFor(const ConvertRequest& request, const QString& proposalBase);

// Converts the inputs one after the other through the conversion run the dialog uses, each
// shared among the workers where its pages allow, and answers finished() with the exit code:
// 0 when every input was converted, 1 when some were not (one line on standard error for each),
// 128 and the signal's number when SIGINT, SIGTERM or SIGHUP stopped it; the run under way
// then leaves nothing at its output's names.
class CommandLineConversion : public QObject {
    Q_OBJECT
public:
    CommandLineConversion(ConvertRequest request, int stdinFd);
    ~CommandLineConversion() override;

    void start();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void next();
    // The settings for an input, with the name it is shown by; nothing when it cannot be
    // converted (said on standard error).
    std::optional<convert::ConvertSettings> settingsFor(const QByteArray& input);
    void converted(convert::RunOutcome outcome);
    void fail(const QString& why);
    void interrupt(int signalNumber);
    void end();

    ConvertRequest request_;
    int stdinFd_;
    options::Options options_;
    ConsoleDialogs dialogs_;
    ConsoleMessages messages_;
    gs::WorkerRunner runner_;
    std::unique_ptr<OpenablePaths> openable_;
    std::unique_ptr<TerminationSignals> signals_;
    qsizetype nextInput_ = 0;
    QString shownName_; // the input under way, as the user named it
    std::optional<TempFileGuard> printJob_;
    std::unique_ptr<ConsoleProgress> progress_;
    std::unique_ptr<convert::Conversion> conversion_;
    int failures_ = 0;
    int signal_ = 0;
    bool awaitingSignal_ = false;
    bool ended_ = false;
};

// All that "quillorn --convert ARGUMENTS" does, within a running QCoreApplication's reach:
// prints a usage error and returns 2, or runs the conversions and returns the exit code.
int runConvertCommand(const QList<QByteArray>& arguments, int stdinFd);

} // namespace quillorn::app
