#include "convert/core/conversion.h"

#include "app/core/services.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "gs/gsapi_binding.h"
#include "viewer/core/gs_arguments.h"
#include "viewer/core/page_number.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <array>
#include <optional>

namespace quillorn::convert {

namespace {

constexpr int kErrFileNotFound = 53;
constexpr int kErrFileAccess = 75;

// A failed step, in the numbering the failure handler sorts by.
struct StepFailure {
    int code;
    QString description;
};

QString AlphaFragment(const char* name, int position) {
    static const std::array<int, 3> kBits = {1, 2, 4};
    if (position < 0 || position >= static_cast<int>(kBits.size()))
        return {};
    return QStringLiteral(" -d") + QLatin1String(name) + u'=' +
           QString::number(kBits[static_cast<size_t>(position)]);
}

// The state of one press of Convert, shared by its steps.
struct Run {
    const ConvertSettings& settings;
    bool standalone;
    const options::Options& options;
    WindowServices& services;
    const std::function<void(const QString&)>& status;

    QStringList args{};
    float startTime = 0;
    std::optional<FileWitness> witness{};
    bool ghostscriptSucceeded = false;

    void SetStatus(const QString& text) const {
        if (!standalone && status)
            status(text);
    }

    void OpenFirstOutput() const {
        const QString first = FirstOutputName(settings.output);
        // A file left at that name by an earlier run, or one Ghostscript wrote before giving up
        // on the document, does not show that this run converted anything.
        if (!ghostscriptSucceeded || !witness || !witness->CreatedOrRewritten())
            throw StepFailure{kErrFileNotFound, QStringLiteral("File not found")};
        QFile file(first);
        if (!file.open(QIODevice::ReadOnly))
            throw StepFailure{kErrFileAccess, QStringLiteral("Path/File access error")};
    }
};

} // namespace

QString ConvertArgumentLine(const ConvertSettings& settings, const options::Options& options,
                            WindowServices& services) {
    return viewer::StartFragment() + viewer::SaferFragment(options.Safer) +
           DeviceFragmentFor(settings.format, settings.choice, settings.jpegQuality) +
           QStringLiteral(" -r") + ArgumentNumber(settings.resolution) +
           AlphaFragment("GraphicsAlphaBits", settings.graphicsAlpha) +
           AlphaFragment("TextAlphaBits", settings.textAlpha) +
           viewer::PaperSizeFragment(options.Media, services,
                                     QStringLiteral("Custom paper sizes not done yet")) +
           viewer::FixedMediaFragment(options.OverrideDefaultMedia);
}

QStringList ConvertArgumentList(const ConvertSettings& settings, const options::Options& options,
                                WindowServices& services) {
    return viewer::ArgumentList(ConvertArgumentLine(settings, options, services), settings.output,
                                settings.inputFile);
}

QStringList LibraryArguments(const QStringList& args) {
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

QString ElapsedSecondsText(float seconds) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(seconds), 'g', 7);
}

RunOutcome RunConversion(const ConvertSettings& settings, bool standalone,
                         const options::Options& options, WindowServices& services,
                         const std::function<void(const QString&)>& status) {
    if (WouldOverwriteInput(settings.output, settings.inputFile)) {
        services.MsgBox(QStringLiteral("The output file would overwrite the document being "
                                       "converted:\n\n%1\n\nPlease choose another output name.")
                            .arg(FirstOutputName(settings.output)),
                        mb::OkOnly | mb::Exclamation, kAppTitle);
        return RunOutcome::KeepOpen;
    }

    Run run{settings, standalone, options, services, status};
    // The steps in order; the failure handler retries a step or goes on with the next one.
    const std::array<std::function<void()>, 8> steps = {
        [&] { services.SetBusy(true); },
        [&] { run.SetStatus(QStringLiteral("Converting...")); },
        [&] { run.args = ConvertArgumentList(settings, options, services); },
        [&] {
            run.startTime = services.Timer();
            run.witness.emplace(FirstOutputName(settings.output));
        },
        [&] {
            try {
                run.ghostscriptSucceeded = gs::RunGhostscript(LibraryArguments(run.args));
            } catch (const gs::LibraryError& e) {
                // A library that cannot be loaded is reported like a missing file: the user
                // gets the same question as for a run that wrote nothing.
                throw StepFailure{e.Code() == gs::kErrLoadLibrary ? kErrFileNotFound : e.Code(),
                                  e.Description()};
            }
        },
        [&] {
            run.SetStatus(
                QStringLiteral("Converted, took ") +
                ElapsedSecondsText(viewer::ElapsedSeconds(run.startTime, services.Timer())) +
                QStringLiteral(" seconds"));
        },
        [&] { services.SetBusy(false); },
        [&] { run.OpenFirstOutput(); },
    };

    for (size_t step = 0; step < steps.size();) {
        try {
            steps[step]();
            ++step;
        } catch (const StepFailure& failure) {
            if (failure.code == kErrFileNotFound) {
                if (services.MsgBox(kConversionErrorPrompt, mb::YesNo | mb::Information,
                                    kConversionErrorTitle) == mb::Yes) {
                    services.SetBusy(false);
                    return RunOutcome::CloseAndShowMessages;
                }
                ++step;
                continue;
            }
            const int answer = services.MsgBox(
                QStringLiteral("An unexpected error occured while converting the file: ") +
                    failure.description + QStringLiteral(" (") + QString::number(failure.code) +
                    u')',
                mb::AbortRetryIgnore | mb::Exclamation, QStringLiteral("Error (please report)"));
            if (answer == mb::Abort) {
                services.SetBusy(false);
                return RunOutcome::KeepOpen;
            }
            if (answer != mb::Retry)
                ++step;
        }
    }
    return RunOutcome::CloseDialog;
}

} // namespace quillorn::convert
