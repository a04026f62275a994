#include "convert/core/conversion.h"

#include "base/failure.h"
#include "base/number_rule.h"
#include "base/step_runner.h"
#include "base/user_dialogs.h"
#include "convert/core/document_input.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "convert/core/split_conversion.h"
#include "gs/arguments.h"
#include "gs/document_info.h"
#include "gs/runner.h"
#include "options/core/display_settings.h"
#include "options/core/paper.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace quillorn::convert {

namespace {

Failure noOutput() {
    return {FailureKind::NoOutput,
            QCoreApplication::translate("quillorn::convert", "File not found")};
}

} // namespace

QStringList convertArgumentList(const ConvertSettings& settings, const options::Options& options) {
    gs::Arguments args;
    args << gs::unattendedSwitches() << gs::saferSwitch(options.safer)
         << formatDeviceArguments(settings.format, settings.choice, settings.jpegQuality)
         << QStringLiteral("-r") + argumentNumber(settings.resolution)
         << gs::alphaSwitches(options::alphaBitsAt(settings.graphicsAlpha),
                              options::alphaBitsAt(settings.textAlpha))
         << gs::paperSizeSwitch(options::paperName(options.media))
         << gs::fixedMediaSwitch(options.overrideDefaultMedia)
         << documentSwitches(settings.inputFile)
         << gs::outputFileSwitch(OutputPattern(settings.output).forGhostscript())
         << gs::inputFileArgument(settings.inputFile);
    return args.list();
}

bool saysNoPages(const QString& output) {
    for (const char* marker : {"Couldn't initialise file", "No pages will be processed",
                               "has no pages", "requires a password", "Password did not work"})
        if (output.contains(QLatin1String(marker)))
            return true;
    return false;
}

bool writesOnePagePerFile(int format) {
    switch (format) {
    case kFormatBmp:
    case kFormatJpeg:
    case kFormatPcx:
    case kFormatPng:
    case kFormatPnm:
    case kFormatPsd:
        return true;
    default:
        return false;
    }
}

QStringList withInputSwitches(QStringList args, const InputChoices& choices) {
    QStringList switches;
    if (choices.firstPage > 0)
        switches << QStringLiteral("-dFirstPage=%1").arg(choices.firstPage);
    if (choices.lastPage > 0)
        switches << QStringLiteral("-dLastPage=%1").arg(choices.lastPage);
    if (!choices.password.isEmpty())
        switches << QStringLiteral("-sPDFPassword=") + choices.password;
    const auto output = std::find_if(args.begin(), args.end(), [](const QString& arg) {
        return arg.startsWith(QLatin1String("-sOutputFile="));
    });
    const qsizetype at = output - args.begin();
    for (qsizetype i = 0; i < switches.size(); ++i)
        args.insert(at + i, switches[i]);
    return args;
}

QStringList libraryArguments(const QStringList& args) {
    static const QStringList kVectorDevices = {
        QStringLiteral("-sDEVICE=pdfwrite"), QStringLiteral("-sDEVICE=ps2write"),
        QStringLiteral("-sDEVICE=eps2write"), QStringLiteral("-sDEVICE=pxlmono"),
        QStringLiteral("-sDEVICE=pxlcolor")};
    // Only the switches before the two file elements are looked at.
    const qsizetype switches = std::max<qsizetype>(0, args.size() - 2);
    bool vector = false;
    for (qsizetype i = 0; i < switches; ++i)
        vector = vector || kVectorDevices.contains(args[i]);
    if (!vector)
        return args;
    QStringList out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool alpha = i < switches && (args[i].startsWith(u"-dGraphicsAlphaBits=") ||
                                            args[i].startsWith(u"-dTextAlphaBits="));
        if (!alpha)
            out << args[i];
    }
    return out;
}

Conversion::Conversion(ConvertSettings settings, options::Options options,
                       ConversionContext context, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), options_(options),
      context_(std::move(context)),
      steps_(context_.dialogs,
             QCoreApplication::translate("quillorn::convert", "converting the file"),
             [this](const Failure&) {
                 if (context_.dialogs.ask(kConversionErrorPrompt, Buttons::YesNo, Icon::Information,
                                          kConversionErrorTitle,
                                          gs::firstErrorLine(output_)) == Answer::Yes)
                     return StepRunner::NoOutputChoice::Stop;
                 return StepRunner::NoOutputChoice::GoOn;
             }) {
    choices_.password = context_.password;
}

Conversion::~Conversion() = default;

void Conversion::status(const QString& text) const {
    if (context_.status)
        context_.status(text);
}

void Conversion::start() {
    UserDialogs& dialogs = context_.dialogs;
    // Every name the run may write: each page's, and "name-N.ext" for pictures.
    const bool pagesApart = writesOnePagePerFile(settings_.format);
    if (const QString clash = inputOverwrittenBy(settings_.output, pagesApart, settings_.inputFile);
        !clash.isEmpty()) {
        dialogs.message(
            QCoreApplication::translate("quillorn::convert",
                                        "The output file would overwrite the document being "
                                        "converted:\n\n%1\n\nPlease choose another output name.")
                .arg(clash),
            Icon::Warning);
        return end(RunOutcome::KeepOpen);
    }
    if (const QString existing = firstExistingOutput(settings_.output, pagesApart);
        !existing.isEmpty() &&
        dialogs.ask(
            QCoreApplication::translate("quillorn::convert",
                                        "The file %1 already exists. Do you want to replace it?")
                .arg(existing),
            Buttons::YesNo, Icon::Question) != Answer::Yes)
        return end(RunOutcome::KeepOpen);

    std::vector<StepRunner::Step> steps = {
        [this] { busy_.emplace(context_.dialogs); },
        [this] { status(QCoreApplication::translate("quillorn::convert", "Converting...")); },
        [this] {
            if (options_.media == options::Paper::Custom)
                context_.dialogs.message(options::kCustomPaperNotDone);
            args_ = withInputSwitches(convertArgumentList(settings_, options_), choices_);
        },
        [this] { readInput(); },
        [this] {
            staging_ = std::make_unique<OutputStaging>(settings_.output,
                                                       writesOnePagePerFile(settings_.format));
            timer_.start();
        },
        [this] { runGhostscript(); },
        [this] {
            status(QCoreApplication::translate("quillorn::convert", "Converted, took ") +
                   secondsText(static_cast<double>(timer_.elapsed()) / 1000.0) +
                   QCoreApplication::translate("quillorn::convert", " seconds"));
        },
        [this] { busy_.reset(); },
        [this] { publish(); },
    };
    steps_.start(std::move(steps), [this](StepRunner::Outcome outcome) {
        busy_.reset();
        switch (outcome) {
        case StepRunner::Outcome::Completed:
            return end(RunOutcome::CloseDialog);
        case StepRunner::Outcome::Stopped:
            return end(RunOutcome::CloseAndShowMessages);
        case StepRunner::Outcome::Aborted:
        case StepRunner::Outcome::Cancelled:
            break;
        }
        end(RunOutcome::KeepOpen);
    });
}

void Conversion::stop() {
    if (split_)
        split_->stop();
}

void Conversion::end(RunOutcome outcome) {
    // From the event loop: whoever started the conversion has it in hand, and may let it go.
    QMetaObject::invokeMethod(
        this, [this, outcome] { Q_EMIT finished(outcome); }, Qt::QueuedConnection);
}

void Conversion::readInput() {
    // A folder, a pipe, a device or a missing file is no document.
    const QFileInfo input(settings_.inputFile);
    QFile file(settings_.inputFile);
    if (!input.isFile() || !file.open(QIODevice::ReadOnly))
        throw Failure{FailureKind::FileAccess,
                      QCoreApplication::translate("quillorn::convert", "Cannot read ") +
                          settings_.inputFile};
    input_.emplace(settings_.inputFile);
    if (input_->path() != settings_.inputFile)
        args_.back() = input_->path();
}

void Conversion::runGhostscript() {
    if (!input_ || !staging_)
        throw noOutput();
    output_.clear();
    split_ =
        std::make_unique<SplitConversion>(settings_, libraryArguments(args_), *staging_, context_);
    split_->setMostWorkers(mostWorkers_);
    split_->setInputChoices(choices_);
    connect(split_.get(), &SplitConversion::finished, this, [this] {
        const gs::RunResult result = split_->result();
        output_ = split_->output();
        steps_.resume([this, &result] { ranGhostscript(result); });
    });
    steps_.suspend();
    split_->start();
}

void Conversion::ranGhostscript(const gs::RunResult& result) {
    result_ = result;
    switch (result.end) {
    case gs::RunResult::End::Stopped:
        staging_.reset();
        status(QCoreApplication::translate("quillorn::convert", "Conversion stopped"));
        throw Cancelled{};
    case gs::RunResult::End::Finished:
        askPassword();
        return;
    case gs::RunResult::End::NotStarted:
        staging_.reset();
        // A library that cannot be loaded is reported like a missing file: the user gets the
        // same question as for a run that wrote nothing.
        if (result.failure.kind == FailureKind::LibraryMissing)
            throw Failure{FailureKind::NoOutput, result.failure.description};
        throw result.failure;
    default:
        staging_.reset();
        throw gs::failureOf(result, context_.runner.memoryLimit());
    }
}

void Conversion::askPassword() {
    const gs::PasswordRequest asked = gs::passwordRequest(output_);
    if (asked == gs::PasswordRequest::None || !gs::isPdf(args_.back()))
        return;
    const QString name = QFileInfo(settings_.inputFile).fileName();
    const QString password = gs::askPassword(context_.dialogs, asked, name);
    if (password.isEmpty())
        return; // the usual question follows
    args_.removeIf([](const QString& arg) { return arg.startsWith(u"-sPDFPassword="); });
    args_.insert(args_.size() - 1, QStringLiteral("-sPDFPassword=") + password);
    choices_.password = password;
    staging_ =
        std::make_unique<OutputStaging>(settings_.output, writesOnePagePerFile(settings_.format));
    runGhostscript();
}

void Conversion::publish() {
    // A run that made no page of the document leaves nothing behind; one that made pages and
    // then failed keeps them, and the user is asked all the same.
    if (!staging_ || result_.pages == 0 || saysNoPages(output_) || staging_->filesWritten() == 0) {
        staging_.reset();
        throw noOutput();
    }
    const QStringList written = staging_->publish();
    staging_.reset();
    if (!result_.succeeded() || written.isEmpty())
        throw noOutput();
    QFile file(written.front());
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{FailureKind::FileAccess,
                      QCoreApplication::translate("quillorn::convert", "Path/File access error")};
}

} // namespace quillorn::convert
