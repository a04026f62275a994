#pragma once

// What the conversion tests share: the dialog's default settings, a press of Convert waited for,
// and a fixture with the scripted user, the real worker and a folder of the test's own.
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "gs/worker_runner.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace quillorn::test {

// The dialog's defaults: PDF, 72 dpi, both anti-aliasing boxes on "4".
inline convert::ConvertSettings settings(const QString& input = QStringLiteral("/docs/a b.ps"),
                                         int format = convert::kFormatPdf, int choice = -1,
                                         const QString& output = QStringLiteral("/docs/a b.pdf")) {
    return {.inputFile = input,
            .format = format,
            .choice = choice,
            .jpegQuality = QStringLiteral("90"),
            .resolution = QStringLiteral("72"),
            .graphicsAlpha = 2,
            .textAlpha = 2,
            .output = output};
}

// One press of Convert, waited for: the dialog's outcome.
inline convert::RunOutcome convertAndWait(const convert::ConvertSettings& settings,
                                          const options::Options& options,
                                          const convert::ConversionContext& context) {
    convert::Conversion conversion(settings, options, context);
    std::optional<convert::RunOutcome> outcome;
    QObject::connect(&conversion, &convert::Conversion::finished,
                     [&outcome](convert::RunOutcome ended) { outcome = ended; });
    conversion.start();
    (void)QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 300000);
    return outcome.value_or(convert::RunOutcome::KeepOpen);
}

// The scripted user, the real library, the status line, and a folder of its own (with a blank
// and letters beyond ASCII) holding the two-page document.
class ConversionRun : public ::testing::Test {
protected:
    convert::ConversionContext context() { return {dialogs, runner, messages, status}; }

    QString dir = test::scratchDir() + QStringLiteral("/run ünï/") +
                  QLatin1String(::testing::UnitTest::GetInstance()->current_test_info()->name());
    QString input = test::writeTwoPagePostScript(dir + QStringLiteral("/two pages.ps"));
    test::ScriptedDialogs dialogs;
    options::Options options;
    RecordingMessages messages;
    QStringList statusTexts;
    std::function<void(const QString&)> status = [this](const QString& t) { statusTexts << t; };
    gs::WorkerRunner runner;
};

} // namespace quillorn::test
