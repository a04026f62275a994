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
#include <vector>

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

// Converts the inputs through the conversion run the dialog uses and answers finished() with the
// exit code: 0 when every input was converted, 1 when some were not (one line on standard error
// for each), 128 and the signal's number when SIGINT, SIGTERM or SIGHUP stopped it; the runs
// under way then leave nothing at their outputs' names. One input has its pages shared among
// as many workers as the machine (or --jobs) allows; several are converted that many at a time,
// each by one worker, since documents share out better than their pages.
class CommandLineConversion : public QObject {
    Q_OBJECT
public:
    CommandLineConversion(ConvertRequest request, int stdinFd);
    ~CommandLineConversion() override;

    void start();

Q_SIGNALS:
    void finished(int exitCode);

private:
    struct Job;
    // Starts inputs while there is room for them; ends once all are done.
    void next();
    // The settings for an input; nothing when it cannot be converted (said on standard error).
    std::optional<convert::ConvertSettings> settingsFor(Job& job, const QByteArray& input);
    void converted(Job* job, convert::RunOutcome outcome);
    void fail(const QString& name, const QString& why);
    void interrupt(int signalNumber);

    ConvertRequest request_;
    int stdinFd_;
    options::Options options_;
    ConsoleMessages messages_;
    gs::WorkerRunner runner_;
    ProgressLine progressLine_;
    std::unique_ptr<OpenablePaths> openable_;
    std::unique_ptr<TerminationSignals> signals_;
    int together_ = 1;    // inputs converted at a time
    int mostWorkers_ = 0; // workers of each
    qsizetype nextInput_ = 0;
    std::vector<std::unique_ptr<Job>> running_;
    int failures_ = 0;
    int signal_ = 0;
    bool awaitingSignal_ = false;
    bool ended_ = false;
};

// All that "quillorn --convert ARGUMENTS" does, within a running QCoreApplication's reach:
// prints a usage error and returns 2, or runs the conversions and returns the exit code.
int runConvertCommand(const QList<QByteArray>& arguments, int stdinFd);

} // namespace quillorn::app
