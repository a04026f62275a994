#include "app/core/command_line_conversion.h"

#include "app/core/command_line.h"
#include "app/core/print_job.h"
#include "app/core/termination_signals.h"
#include "base/settings_store.h"
#include "convert/core/output_files.h"
#include "convert/core/split_conversion.h"
#include "gs/arguments.h"
#include "options/core/options_store.h"
#include "options/core/paper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <unistd.h>

namespace quillorn::app {

namespace {

struct FormatName {
    const char* name;
    int format;
};
constexpr FormatName kFormatNames[] = {
    {"pdf", convert::kFormatPdf},  {"png", convert::kFormatPng},   {"jpeg", convert::kFormatJpeg},
    {"jpg", convert::kFormatJpeg}, {"tiff", convert::kFormatTiff}, {"tif", convert::kFormatTiff},
    {"bmp", convert::kFormatBmp},  {"pcx", convert::kFormatPcx},   {"pnm", convert::kFormatPnm},
    {"psd", convert::kFormatPsd},  {"eps", convert::kFormatEps},   {"ps", convert::kFormatPs},
    {"pxl", convert::kFormatPxl}};

std::optional<int> formatNamed(const QString& name) {
    for (const FormatName& f : kFormatNames)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return f.format;
    return std::nullopt;
}

// The format whose file dialog filter takes the name's extension ("out.jpg": JPEG).
std::optional<int> formatOfName(const QString& name) {
    const QString suffix = QFileInfo(name).suffix();
    if (suffix.isEmpty())
        return std::nullopt;
    for (int format = 0; format < convert::kFormatCount; ++format) {
        const QString filter = QLatin1String(convert::formatAt(format)->filter);
        for (const QString& pattern : filter.mid(filter.indexOf(u'|') + 1).split(u';'))
            if (pattern.mid(2).compare(suffix, Qt::CaseInsensitive) == 0)
                return format;
    }
    return std::nullopt;
}

// The choice of a format that selects the device (the format's own device has none: -1).
std::optional<int> choiceWithDevice(int format, const QString& device) {
    const convert::OutputFormat& f = *convert::formatAt(format);
    for (size_t i = 0; i < f.choices.size(); ++i)
        if (device == QLatin1String(f.choices[i].device))
            return static_cast<int>(i);
    if (f.device && QString::fromLatin1(f.device).section(u' ', 0, 0) == device)
        return -1;
    return std::nullopt;
}

// A whole positive number, at most most.
std::optional<int> positiveNumber(const QString& text, int most = INT_MAX) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > most)
        return std::nullopt;
    return n;
}

bool namesFolder(const QString& output) {
    return output.endsWith(u'/') || QFileInfo(output).isDir();
}

// "%n" in an output name: the name, kept literal; "%%" stays as it is, a literal "%".
QString expandName(const QString& output, const QString& name) {
    QString out;
    for (qsizetype i = 0; i < output.size(); ++i) {
        const QChar c = output[i];
        const QChar after = i + 1 < output.size() ? output[i + 1] : QChar();
        if (c == u'%' && after == u'n') {
            out += gs::literalOutputPath(name);
            ++i;
        } else if (c == u'%' && after == u'%') {
            out += QStringLiteral("%%");
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool hasNamePlaceholder(const QString& output) {
    return expandName(output, QStringLiteral("a")) != expandName(output, QStringLiteral("b"));
}

// What an error box says, without the words that suit a box: "An unexpected error occurred
// while converting the file: Cannot read x.ps (75)" is "Cannot read x.ps".
QString withoutBoxWords(const QString& text) {
    static const QRegularExpression box(
        QStringLiteral("^An unexpected error occurred while [^:]*: (.*) \\(\\d+\\)$"));
    const QRegularExpressionMatch m = box.match(text);
    return m.hasMatch() ? m.captured(1) : text;
}

} // namespace

ParsedConvertRequest parseConvertArguments(const QList<QByteArray>& arguments) {
    ConvertRequest r;
    QString formatText, deviceText;
    const auto error = [](const QString& text) { return ParsedConvertRequest{{}, text}; };
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& raw = arguments[i];
        if (optionsEnd || raw == "-" || !raw.startsWith('-')) {
            r.inputs << raw;
            continue;
        }
        if (raw == "--") {
            optionsEnd = true;
            continue;
        }
        QString option = QFile::decodeName(raw);
        std::optional<QString> value;
        if (const qsizetype equals = option.indexOf(u'='); equals > 0) {
            value = option.mid(equals + 1);
            option.truncate(equals);
        }
        const auto flag = [&](bool& set) {
            set = true;
            return value ? error(QStringLiteral("%1 takes no value").arg(option))
                         : ParsedConvertRequest{};
        };
        const auto take = [&]() -> std::optional<QString> {
            if (value)
                return value;
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return QFile::decodeName(arguments[++i]);
        };
        ParsedConvertRequest flagged;
        if (option == u"--force")
            flagged = flag(r.force);
        else if (option == u"--unsafe")
            flagged = flag(r.unsafe);
        else if (option == u"--quiet")
            flagged = flag(r.quiet);
        else if (option == u"--verbose")
            flagged = flag(r.verbose);
        else if (option == u"--help")
            flagged = flag(r.help);
        else {
            static const QStringList kValued = {
                QStringLiteral("--format"),     QStringLiteral("--device"),
                QStringLiteral("--resolution"), QStringLiteral("--output"),
                QStringLiteral("--first"),      QStringLiteral("--last"),
                QStringLiteral("--jobs"),       QStringLiteral("--password")};
            if (!kValued.contains(option))
                return error(QStringLiteral("unknown option %1").arg(option));
            const std::optional<QString> v = take();
            if (!v)
                return error(QStringLiteral("%1 needs a value").arg(option));
            std::optional<int> number;
            if (option == u"--resolution" || option == u"--first" || option == u"--last" ||
                option == u"--jobs") {
                number = positiveNumber(*v, option == u"--resolution" ? 32767 : INT_MAX);
                if (!number)
                    return error(QStringLiteral("%1 needs a whole number above 0, not \"%2\"")
                                     .arg(option, *v));
            }
            if (option == u"--format")
                formatText = *v;
            else if (option == u"--device")
                deviceText = *v;
            else if (option == u"--resolution")
                r.resolution = QString::number(*number);
            else if (option == u"--output")
                r.output = *v;
            else if (option == u"--first")
                r.firstPage = *number;
            else if (option == u"--last")
                r.lastPage = *number;
            else if (option == u"--jobs")
                r.jobs = *number;
            else
                r.password = *v;
        }
        if (!flagged.error.isEmpty())
            return flagged;
    }
    if (r.help)
        return {r, {}};

    std::optional<int> format;
    if (!formatText.isEmpty() && !(format = formatNamed(formatText)))
        return error(QStringLiteral("unknown format \"%1\"").arg(formatText));
    if (!deviceText.isEmpty()) {
        for (int f = 0; f < convert::kFormatCount && !format; ++f)
            if (choiceWithDevice(f, deviceText))
                format = f;
        const std::optional<int> choice =
            format ? choiceWithDevice(*format, deviceText) : std::nullopt;
        if (!choice)
            return error(QStringLiteral("unknown device \"%1\"%2")
                             .arg(deviceText, formatText.isEmpty()
                                                  ? QString()
                                                  : QStringLiteral(" for ") + formatText));
        r.choice = *choice;
    }
    if (!format && !r.output.isEmpty() && !namesFolder(r.output))
        format = formatOfName(r.output);
    r.format = format.value_or(convert::kFormatPdf);
    if (r.choice < 0)
        r.choice = convert::formatAt(r.format)->defaultChoice;

    if (r.inputs.isEmpty())
        return error(QStringLiteral("no input file"));
    if (r.inputs.count("-") > 1)
        return error(QStringLiteral("standard input (-) can be read only once"));
    if (r.firstPage > 0 && r.lastPage > 0 && r.firstPage > r.lastPage)
        return error(
            QStringLiteral("--first %1 is after --last %2").arg(r.firstPage).arg(r.lastPage));
    if (r.inputs.size() > 1 && !r.output.isEmpty() && !namesFolder(r.output) &&
        !hasNamePlaceholder(r.output))
        return error(QStringLiteral("with several inputs, --output must be a folder or hold %n "
                                    "(the input's name)"));
    return {r, {}};
}

QString outputNameFor(const ConvertRequest& request, const QString& proposalBase) {
    QString proposal = convert::proposeOutputName(proposalBase, request.format);
    if (request.output.isEmpty())
        return proposal;
    if (namesFolder(request.output))
        return QDir(request.output).filePath(QFileInfo(proposal).fileName());
    // The name as the proposal has it, without the literal "%" doubled.
    QString name = QFileInfo(convert::proposeOutputName(proposalBase, -1)).fileName();
    return expandName(request.output, name.replace(QStringLiteral("%%"), QStringLiteral("%")));
}

// One input under way.
struct CommandLineConversion::Job {
    explicit Job(bool replaceFiles) : dialogs(replaceFiles) {}
    QString name; // as the user named it
    ConsoleDialogs dialogs;
    std::optional<TempFileGuard> printJob;
    std::unique_ptr<ConsoleProgress> progress;
    std::unique_ptr<convert::Conversion> conversion;
};

CommandLineConversion::CommandLineConversion(ConvertRequest request, int stdinFd)
    : request_(std::move(request)), stdinFd_(stdinFd), messages_(request_.verbose),
      openable_(std::make_unique<OpenablePaths>()) {}

CommandLineConversion::~CommandLineConversion() = default;

void CommandLineConversion::start() {
    // The worker loads the library while the rest gets ready.
    runner_.prepare();
    signals_ = std::make_unique<TerminationSignals>();
    connect(signals_.get(), &TerminationSignals::received, this, &CommandLineConversion::interrupt);
    // The user's options, read and never written: paper size, fixed media and orientation as
    // the dialog would have them. Safer mode unless the command line says otherwise.
    options_ = options::readOptions(SettingsStore(), options::systemDefaultMedia());
    options_.safer = !request_.unsafe;
    // As many workers as there are cores and as the free memory holds, or as --jobs says.
    int workers =
        convert::splitWorkers(INT_MAX, QThread::idealThreadCount(), convert::availableMemory(),
                              convert::workerMemory(request_.resolution.toDouble()));
    if (request_.jobs > 0)
        workers = std::min(workers, request_.jobs);
    together_ = std::clamp(static_cast<int>(request_.inputs.size()), 1, workers);
    mostWorkers_ = std::max(1, workers / together_);
    // "--output out/" is a folder, made where it is missing, as make's rules want it.
    if (request_.output.endsWith(u'/'))
        QDir().mkpath(request_.output);
    sweepStaleTemporaries();
    QMetaObject::invokeMethod(this, &CommandLineConversion::next, Qt::QueuedConnection);
}

void CommandLineConversion::next() {
    while (signal_ == 0 && !awaitingSignal_ && nextInput_ < request_.inputs.size() &&
           std::ssize(running_) < together_) {
        auto job = std::make_unique<Job>(request_.force);
        const std::optional<convert::ConvertSettings> settings =
            settingsFor(*job, request_.inputs[nextInput_++]);
        if (!settings)
            continue;
        Job* j = running_.emplace_back(std::move(job)).get();
        if (isatty(STDERR_FILENO) && !request_.quiet && !request_.verbose)
            j->progress = std::make_unique<ConsoleProgress>(j->name, progressLine_);
        std::function<void(const QString&)> status;
        if (request_.verbose)
            status = [j](const QString& text) {
                printError(j->name + QStringLiteral(": ") + text);
            };
        j->conversion = std::make_unique<convert::Conversion>(
            *settings, options_,
            convert::ConversionContext{j->dialogs, runner_, messages_, status, j->progress.get()});
        j->conversion->setMostWorkers(mostWorkers_);
        j->conversion->setInputChoices({request_.firstPage, request_.lastPage, request_.password});
        connect(j->conversion.get(), &convert::Conversion::finished, this,
                [this, j](convert::RunOutcome outcome) { converted(j, outcome); });
        j->conversion->start();
    }
    if (nextInput_ >= request_.inputs.size())
        runner_.setKeepReady(false);
    // A signal that ended the reading of a print job goes on through the event loop.
    if (!running_.empty() || awaitingSignal_ || ended_ ||
        (signal_ == 0 && nextInput_ < request_.inputs.size()))
        return;
    ended_ = true;
    const int code = signal_ != 0 ? 128 + signal_ : failures_ > 0 ? 1 : 0;
    QMetaObject::invokeMethod(
        this, [this, code] { Q_EMIT finished(code); }, Qt::QueuedConnection);
}

std::optional<convert::ConvertSettings>
CommandLineConversion::settingsFor(Job& job, const QByteArray& input) {
    convert::ConvertSettings s;
    QString base;
    if (input == "-") {
        job.name = QStringLiteral("standard input");
        const SavedPrintJob saved = savePrintJob(stdinFd_, signals_->pendingFd());
        if (saved.stopped) {
            awaitingSignal_ = true;
            return std::nullopt;
        }
        if (!saved.error.isEmpty()) {
            fail(job.name, QStringLiteral("the print job could not be read: ") + saved.error);
            return std::nullopt;
        }
        if (saved.path.isEmpty()) {
            fail(job.name, QStringLiteral("no print job"));
            return std::nullopt;
        }
        job.printJob.emplace(saved.path);
        s.inputFile = saved.path;
        base = QDir::current().filePath(printJobName(saved.path) + QStringLiteral(".ps"));
    } else {
        job.name = QFile::decodeName(input);
        s.inputFile = openable_->openable(input);
        base = OpenablePaths::outputBase(input);
        if (base.isEmpty())
            base = s.inputFile;
        const QFileInfo file(s.inputFile);
        if (!file.exists()) {
            fail(job.name, QStringLiteral("no such file"));
            return std::nullopt;
        }
        if (!file.isFile() || !file.isReadable()) {
            fail(job.name, QStringLiteral("not a file that can be read"));
            return std::nullopt;
        }
    }
    s.format = request_.format;
    s.choice = request_.choice;
    s.jpegQuality = QStringLiteral("90");
    s.resolution = request_.resolution;
    // The dialog's anti-aliasing: 4 bits for text and graphics.
    s.graphicsAlpha = 2;
    s.textAlpha = 2;
    s.output = outputNameFor(request_, base);
    return s;
}

void CommandLineConversion::converted(Job* job, convert::RunOutcome outcome) {
    const auto at = std::find_if(running_.begin(), running_.end(),
                                 [job](const std::unique_ptr<Job>& j) { return j.get() == job; });
    if (at == running_.end())
        return;
    const std::unique_ptr<Job> done = std::move(*at);
    running_.erase(at);
    if (const std::optional<ConsoleDialogs::Complaint> complaint = done->dialogs.takeComplaint()) {
        if (complaint->text == convert::kConversionErrorPrompt.simplified())
            fail(done->name, QStringLiteral("Ghostscript: ") + (complaint->details.isEmpty()
                                                                    ? QStringLiteral("no output")
                                                                    : complaint->details));
        else if (complaint->refused)
            fail(done->name, complaint->text + QStringLiteral(" No (--force replaces it)"));
        else
            fail(done->name, withoutBoxWords(complaint->text));
    } else if (outcome != convert::RunOutcome::CloseDialog && signal_ == 0) {
        fail(done->name, QStringLiteral("not converted"));
    }
    next();
}

void CommandLineConversion::fail(const QString& name, const QString& why) {
    ++failures_;
    progressLine_.clear();
    printError(name + QStringLiteral(": ") + why);
}

void CommandLineConversion::interrupt(int signalNumber) {
    if (signal_ == 0)
        signal_ = signalNumber;
    awaitingSignal_ = false;
    for (const std::unique_ptr<Job>& job : running_)
        job->conversion->stop();
    next();
}

int runConvertCommand(const QList<QByteArray>& arguments, int stdinFd) {
    const ParsedConvertRequest parsed = parseConvertArguments(arguments);
    if (!parsed.request) {
        printError(parsed.error);
        std::fputs("Try 'quillorn --help' for more information.\n", stderr);
        return 2;
    }
    if (parsed.request->help) {
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    CommandLineConversion run(*parsed.request, stdinFd);
    QObject::connect(&run, &CommandLineConversion::finished, &run,
                     [](int code) { QCoreApplication::exit(code); });
    run.start();
    return QCoreApplication::exec();
}

} // namespace quillorn::app
