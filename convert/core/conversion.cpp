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
#include "gs/runner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <optional>

namespace quillorn::convert {

namespace {

QString alphaFragment(const char* name, int position) {
    static const std::array<int, 3> kBits = {1, 2, 4};
    if (position < 0 || position >= static_cast<int>(kBits.size()))
        return {};
    return QStringLiteral(" -d") + QLatin1String(name) + u'=' +
           QString::number(kBits[static_cast<size_t>(position)]);
}

Failure noOutput() {
    return {FailureKind::NoOutput, QStringLiteral("File not found")};
}

} // namespace

QString convertArgumentLine(const ConvertSettings& settings, const options::Options& options) {
    return gs::startFragment() + gs::saferFragment(options.safer) +
           formatDeviceFragment(settings.format, settings.choice, settings.jpegQuality) +
           QStringLiteral(" -r") + argumentNumber(settings.resolution) +
           alphaFragment("GraphicsAlphaBits", settings.graphicsAlpha) +
           alphaFragment("TextAlphaBits", settings.textAlpha) +
           gs::paperSizeFragment(options.media) +
           gs::fixedMediaFragment(options.overrideDefaultMedia);
}

QStringList convertArgumentList(const ConvertSettings& settings, const options::Options& options) {
    QStringList args = gs::argumentList(
        convertArgumentLine(settings, options) + documentFragment(settings.inputFile),
        OutputPattern(settings.output).forGhostscript(), settings.inputFile);
    const QString input = args.takeLast();
    return args << orientationArguments(settings.format, options.orientation) << input;
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

RunOutcome runConversion(const ConvertSettings& settings, const options::Options& options,
                         const ConversionContext& context) {
    UserDialogs& dialogs = context.dialogs;
    // Every name the run may write: each page's, and "name-N.ext" for pictures.
    const bool pagesApart = writesOnePagePerFile(settings.format);
    if (const QString clash = inputOverwrittenBy(settings.output, pagesApart, settings.inputFile);
        !clash.isEmpty()) {
        dialogs.message(QStringLiteral("The output file would overwrite the document being "
                                       "converted:\n\n%1\n\nPlease choose another output name.")
                            .arg(clash),
                        Icon::Warning);
        return RunOutcome::KeepOpen;
    }
    if (const QString existing = firstExistingOutput(settings.output, pagesApart);
        !existing.isEmpty() &&
        dialogs.ask(
            QStringLiteral("The file %1 already exists. Do you want to replace it?").arg(existing),
            Buttons::YesNo, Icon::Question) != Answer::Yes)
        return RunOutcome::KeepOpen;

    const auto status = [&context](const QString& text) {
        if (context.status)
            context.status(text);
    };
    QStringList args;
    QElapsedTimer timer;
    std::optional<BusyCursor> busy;
    std::optional<OutputStaging> staging;
    bool inputReadable = false;
    std::optional<ConversionInput> readInput; // a compressed input decompressed
    gs::RunResult result;
    QString output; // what Ghostscript said, for the verdict

    const StepRunner runner(dialogs, QStringLiteral("converting the file"), [&](const Failure&) {
        if (dialogs.ask(kConversionErrorPrompt, Buttons::YesNo, Icon::Information,
                        kConversionErrorTitle, gs::firstErrorLine(output)) == Answer::Yes)
            return StepRunner::NoOutputChoice::Stop;
        return StepRunner::NoOutputChoice::GoOn;
    });
    const StepRunner::Step steps[] = {
        [&] { busy.emplace(dialogs); },
        [&] { status(QStringLiteral("Converting...")); },
        [&] {
            if (options.media == options::kCustomMedia)
                dialogs.message(QStringLiteral("Custom paper sizes not done yet"));
            args = convertArgumentList(settings, options);
        },
        [&] {
            // A folder, a pipe, a device or a missing file is no document.
            const QFileInfo input(settings.inputFile);
            QFile file(settings.inputFile);
            if (!input.isFile() || !file.open(QIODevice::ReadOnly))
                throw Failure{FailureKind::FileAccess,
                              QStringLiteral("Cannot read ") + settings.inputFile};
            readInput.emplace(settings.inputFile);
            if (readInput->path() != settings.inputFile)
                args.back() = readInput->path();
            inputReadable = true;
        },
        [&] {
            staging.emplace(settings.output, writesOnePagePerFile(settings.format));
            timer.start();
        },
        [&] {
            if (!inputReadable || !staging)
                throw noOutput();
            try {
                result = SplitConversion(settings, libraryArguments(args), *staging, context)
                             .run(output);
            } catch (const Failure& failure) {
                // A library that cannot be loaded is reported like a missing file: the user
                // gets the same question as for a run that wrote nothing.
                if (failure.kind == FailureKind::LibraryMissing)
                    throw Failure{FailureKind::NoOutput, failure.description};
                throw;
            }
            switch (result.end) {
            case gs::RunResult::End::Stopped:
                staging.reset();
                status(QStringLiteral("Conversion stopped"));
                throw Cancelled{};
            case gs::RunResult::End::Finished:
                break;
            default:
                staging.reset();
                throw Failure{result.end == gs::RunResult::End::OutOfMemory
                                  ? FailureKind::OutOfMemory
                                  : FailureKind::Internal,
                              gs::describeEnd(result, context.runner.memoryLimit())};
            }
        },
        [&] {
            status(QStringLiteral("Converted, took ") +
                   secondsText(static_cast<double>(timer.elapsed()) / 1000.0) +
                   QStringLiteral(" seconds"));
        },
        [&] { busy.reset(); },
        [&] {
            // A run that made no page of the document leaves nothing behind; one that made pages
            // and then failed keeps them, and the user is asked all the same.
            if (!staging || result.pages == 0 || saysNoPages(output) ||
                staging->filesWritten() == 0) {
                staging.reset();
                throw noOutput();
            }
            const QStringList written = staging->publish();
            staging.reset();
            if (!result.succeeded() || written.isEmpty())
                throw noOutput();
            QFile file(written.front());
            if (!file.open(QIODevice::ReadOnly))
                throw Failure{FailureKind::FileAccess, QStringLiteral("Path/File access error")};
        },
    };
    const StepRunner::Outcome outcome = runner.run(steps);
    busy.reset();
    switch (outcome) {
    case StepRunner::Outcome::Completed:
        return RunOutcome::CloseDialog;
    case StepRunner::Outcome::Stopped:
        return RunOutcome::CloseAndShowMessages;
    case StepRunner::Outcome::Aborted:
    case StepRunner::Outcome::Cancelled:
        break;
    }
    return RunOutcome::KeepOpen;
}

} // namespace quillorn::convert
