#include "convert/core/conversion.h"

#include "base/failure.h"
#include "base/number_rule.h"
#include "base/step_runner.h"
#include "base/user_dialogs.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "gs/arguments.h"
#include "gs/runner.h"

#include <QElapsedTimer>
#include <QFile>
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
    return gs::argumentList(convertArgumentLine(settings, options), settings.output,
                            settings.inputFile);
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
    if (wouldOverwriteInput(settings.output, settings.inputFile)) {
        dialogs.message(QStringLiteral("The output file would overwrite the document being "
                                       "converted:\n\n%1\n\nPlease choose another output name.")
                            .arg(firstOutputName(settings.output)),
                        Icon::Warning);
        return RunOutcome::KeepOpen;
    }

    const auto status = [&context](const QString& text) {
        if (context.status)
            context.status(text);
    };
    QStringList args;
    QElapsedTimer timer;
    std::optional<FileWitness> witness;
    bool ghostscriptSucceeded = false;
    std::optional<BusyCursor> busy;

    const StepRunner runner(dialogs, QStringLiteral("converting the file"), [&](const Failure&) {
        if (dialogs.ask(kConversionErrorPrompt, Buttons::YesNo, Icon::Information,
                        kConversionErrorTitle) == Answer::Yes)
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
            timer.start();
            witness.emplace(firstOutputName(settings.output));
        },
        [&] {
            try {
                ghostscriptSucceeded =
                    context.runner.run(libraryArguments(args), context.messages).succeeded();
            } catch (const Failure& failure) {
                // A library that cannot be loaded is reported like a missing file: the user gets
                // the same question as for a run that wrote nothing.
                if (failure.kind == FailureKind::LibraryMissing)
                    throw Failure{FailureKind::NoOutput, failure.description};
                throw;
            }
        },
        [&] {
            status(QStringLiteral("Converted, took ") +
                   secondsText(static_cast<double>(timer.elapsed()) / 1000.0) +
                   QStringLiteral(" seconds"));
        },
        [&] { busy.reset(); },
        [&] {
            // A file left at that name by an earlier run, or one Ghostscript wrote before giving
            // up on the document, does not show that this run converted anything.
            if (!ghostscriptSucceeded || !witness || !witness->createdOrRewritten())
                throw noOutput();
            QFile file(firstOutputName(settings.output));
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
        break;
    }
    return RunOutcome::KeepOpen;
}

} // namespace quillorn::convert
