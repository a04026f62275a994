// Conversions through the dialog's Convert button with the real Ghostscript library.
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "gs/gsapi_binding.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::convert;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Does a file's beginning show the format a device writes?
bool LooksLike(int format, const QByteArray& bytes) {
    switch (format) {
    case kFormatBmp:
        return bytes.startsWith("BM");
    case kFormatEps:
        return bytes.startsWith("%!PS-Adobe-3.0 EPSF");
    case kFormatPxl:
        return bytes.startsWith("\x1B%-12345X") && bytes.contains(") HP-PCL XL");
    case kFormatJpeg:
        return bytes.startsWith("\xFF\xD8\xFF");
    case kFormatPcx:
        return bytes.size() > 128 && bytes[0] == '\x0A';
    case kFormatPsd:
        return bytes.startsWith("8BPS");
    case kFormatPdf:
        return bytes.startsWith("%PDF-");
    case kFormatPng:
        return bytes.startsWith("\x89PNG\r\n\x1A\n");
    case kFormatPnm:
        return bytes.size() > 2 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6';
    case kFormatPs:
        return bytes.startsWith("%!PS") && !bytes.left(40).contains("EPSF");
    case kFormatTiff:
        return bytes.startsWith(QByteArray("II*\0", 4)) || bytes.startsWith(QByteArray("MM\0*", 4));
    default:
        return false;
    }
}

class ConvertRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test::ScratchDir() + QStringLiteral("/run ünï/") +
              QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir().mkpath(dir);
        input = test::WriteFile(dir + QStringLiteral("/two pages.ps"), test::TwoPagePostScript());
    }
    void TearDown() override { gs::SetLibraryCandidates({}); }

    std::unique_ptr<frmConvert> Dialog(const QString& in, bool standalone = false) {
        auto dialog = std::make_unique<frmConvert>(in, standalone, context);
        dialog->show();
        return dialog;
    }
    // Converts through the dialog; true when the dialog closed.
    bool Convert(frmConvert& dialog, int format, int choice, const QString& output) {
        dialog.cmbConvertTo->setCurrentIndex(format);
        if (choice >= 0)
            dialog.Choices(format)[static_cast<size_t>(choice)]->setChecked(true);
        dialog.txtOutput->setText(output);
        dialog.cmdConvert_Click();
        return !dialog.isVisible();
    }
    QString BadDocument() {
        return test::WriteFile(dir + QStringLiteral("/garbage.ps"), "this is not PostScript\n");
    }
    // Closes the messages window as soon as it shows, noting whether the dialog was gone then.
    void CloseMessagesWhenShown(const frmConvert& dialog) {
        QTimer::singleShot(0, [this, &dialog] {
            messagesShown = messages.Get().isVisible();
            dialogVisibleWithMessages = dialog.isVisible();
            messages.Get().cmdOkay_Click();
        });
    }

    test::ScriptedServices services;
    options::Options options;
    MessagesHost messages{services};
    QStringList statusTexts;
    ConvertContext context{
        services, options, messages, {}, [this](const QString& t) { statusTexts << t; }};
    QString dir;
    QString input;
    bool messagesShown = false;
    bool dialogVisibleWithMessages = true;
};

} // namespace

TEST_F(ConvertRun, EveryDeviceChoiceWritesItsFormat) {
    int conversions = 0;
    for (int format = 0; format < kFormatCount; ++format) {
        const OutputFormat& f = *FormatAt(format);
        const int choices = f.choices.empty() ? 1 : static_cast<int>(f.choices.size());
        for (int choice = 0; choice < choices; ++choice) {
            const QString name = f.choices.empty() ? QStringLiteral("default")
                                                   : QLatin1String(f.choices[choice].name);
            SCOPED_TRACE(name.toStdString());
            auto dialog = Dialog(input);
            const QString proposed = dialog->txtOutput->text();
            dialog->cmbConvertTo->setCurrentIndex(format);
            const QString ending = dialog->txtOutput->text().mid(proposed.size() - 4);
            const QString output = dir + u'/' + name + u' ' + QString::number(format) + ending;
            services.boxes.clear();
            ASSERT_TRUE(Convert(*dialog, format, f.choices.empty() ? -1 : choice, output));
            EXPECT_TRUE(services.boxes.empty());
            ++conversions;
            if (output.contains(QStringLiteral("%d"))) {
                for (const char* page : {"1", "2"}) {
                    QString file = output;
                    file.replace(QStringLiteral("%d"), QLatin1String(page));
                    EXPECT_TRUE(LooksLike(format, ReadAll(file))) << file.toStdString();
                }
                // The PCL-XL devices open one more file for the end of the job.
                QString third = output;
                third.replace(QStringLiteral("%d"), QStringLiteral("3"));
                if (format != kFormatPxl) {
                    EXPECT_FALSE(QFile::exists(third));
                }
            } else {
                EXPECT_TRUE(LooksLike(format, ReadAll(output))) << output.toStdString();
            }
        }
    }
    EXPECT_EQ(conversions, 32);
    EXPECT_FALSE(services.busy);
}

TEST_F(ConvertRun, FirstOutputNameFollowsTheThreePlaceholderForms) {
    for (const char* form : {"%02d", "%03d"}) {
        auto dialog = Dialog(input);
        EXPECT_TRUE(Convert(*dialog, kFormatPng, 4,
                            dir + QStringLiteral("/page-") + QLatin1String(form) + ".png"));
    }
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/page-01.png")));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/page-002.png")));
    EXPECT_TRUE(services.boxes.empty());

    // Ghostscript writes every page, but the first output is looked for under the raw name.
    auto dialog = Dialog(input);
    EXPECT_TRUE(Convert(*dialog, kFormatPng, 4, dir + QStringLiteral("/page-%04d.png")));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/page-0002.png")));
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].prompt, kConversionErrorPrompt);
    EXPECT_EQ(services.boxes[0].style, mb::YesNo | mb::Information);
    EXPECT_EQ(services.boxes[0].title, QStringLiteral("Error in conversion"));

    // A single file name is looked up as it stands.
    services.boxes.clear();
    auto single = Dialog(input);
    EXPECT_TRUE(Convert(*single, kFormatPdf, -1, dir + QStringLiteral("/whole document.pdf")));
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(ConvertRun, StatusTextsInMenuUseAndNoneStandalone) {
    options.Media = 9; // custom: one message per run, and the run goes on
    auto dialog = Dialog(input);
    ASSERT_TRUE(Convert(*dialog, kFormatPdf, -1, dir + QStringLiteral("/menu.pdf")));
    EXPECT_EQ(statusTexts, (QStringList{"Converting...", "Converted, took 0.5 seconds"}));
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].prompt, QStringLiteral("Custom paper sizes not done yet"));
    EXPECT_EQ(services.busyCalls, 2);
    EXPECT_FALSE(services.busy);

    statusTexts.clear();
    auto standalone = Dialog(input, true);
    ASSERT_TRUE(Convert(*standalone, kFormatPdf, -1, dir + QStringLiteral("/alone.pdf")));
    EXPECT_TRUE(statusTexts.isEmpty());
    EXPECT_TRUE(LooksLike(kFormatPdf, ReadAll(dir + QStringLiteral("/alone.pdf"))));
}

TEST_F(ConvertRun, FailedConversionOffersTheMessagesWindow) {
    const QString bad = BadDocument();
    auto dialog = Dialog(bad);
    services.msgBoxAnswers = {mb::Yes};
    CloseMessagesWhenShown(*dialog);
    EXPECT_TRUE(Convert(*dialog, kFormatPng, 4, dir + QStringLiteral("/bad-%d.png")));
    EXPECT_TRUE(messagesShown);
    EXPECT_FALSE(dialogVisibleWithMessages);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(services.Prompts(), QStringList{kConversionErrorPrompt});
    EXPECT_TRUE(messages.Get().Log().contains(QStringLiteral("undefined")));
    EXPECT_TRUE(statusTexts.value(1).startsWith(QStringLiteral("Converted, took ")));
    EXPECT_FALSE(services.busy);

    // No: the dialog closes without the messages window.
    messagesShown = false;
    auto again = Dialog(bad);
    services.msgBoxAnswers = {mb::No};
    EXPECT_TRUE(Convert(*again, kFormatPng, 4, dir + QStringLiteral("/bad-%d.png")));
    EXPECT_FALSE(messagesShown);
    EXPECT_EQ(services.boxes.size(), 2u);
}

TEST_F(ConvertRun, StaleOutputOrAnEmptyDocumentIsNoSuccess) {
    // An earlier run left page 1 behind; this run writes nothing.
    const QString stale = test::WriteFile(dir + QStringLiteral("/old-1.png"), "stale bytes");
    auto dialog = Dialog(BadDocument());
    EXPECT_TRUE(Convert(*dialog, kFormatPng, 4, dir + QStringLiteral("/old-%d.png")));
    EXPECT_EQ(services.Prompts(), QStringList{kConversionErrorPrompt});
    EXPECT_EQ(ReadAll(stale), QByteArray("stale bytes"));

    // PDF and PostScript output files are written even when the document cannot be read.
    for (int format : {kFormatPdf, kFormatPs}) {
        services.boxes.clear();
        auto missing = Dialog(dir + QStringLiteral("/no such file.ps"));
        missing->cmbConvertTo->setCurrentIndex(format);
        EXPECT_TRUE(Convert(*missing, format, -1,
                            dir + QStringLiteral("/from missing.") +
                                (format == kFormatPdf ? "pdf" : "ps")));
        EXPECT_EQ(services.Prompts(), QStringList{kConversionErrorPrompt});
    }
}

TEST_F(ConvertRun, ConvertingAFileOntoItselfIsRefused) {
    auto toPdf = Dialog(input);
    ASSERT_TRUE(Convert(*toPdf, kFormatPdf, -1, dir + QStringLiteral("/report.pdf")));
    const QString pdf = dir + QStringLiteral("/report.pdf");
    const QByteArray pdfBytes = ReadAll(pdf);
    const QByteArray psBytes = ReadAll(input);
    ASSERT_TRUE(LooksLike(kFormatPdf, pdfBytes));
    statusTexts.clear();
    services.busyCalls = 0;

    struct Case {
        QString in;
        int format;
        QString output; // empty: the proposed name
    };
    const std::vector<Case> cases = {
        {pdf, kFormatPdf, {}},
        {input, kFormatPs, {}},
        {pdf, kFormatPdf, dir + QStringLiteral("/./report.pdf")},
    };
    QFile::link(pdf, dir + QStringLiteral("/alias.pdf"));
    for (const Case& c : cases) {
        services.boxes.clear();
        auto dialog = Dialog(c.in);
        dialog->cmbConvertTo->setCurrentIndex(c.format);
        const QString output = c.output.isEmpty() ? dialog->txtOutput->text() : c.output;
        SCOPED_TRACE(output.toStdString());
        EXPECT_FALSE(Convert(*dialog, c.format, -1, output));
        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_TRUE(services.boxes[0].prompt.contains(QStringLiteral("would overwrite")));
        EXPECT_EQ(services.boxes[0].style, mb::OkOnly | mb::Exclamation);
        // The dialog stays open with what the user set.
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->txtOutput->text(), output);
        EXPECT_EQ(dialog->cmbConvertTo->currentIndex(), c.format);
    }
    // Through a symbolic link, and a page pattern whose page 1 is the input.
    const QString pageOne = dir + QStringLiteral("/scan-1.pdf");
    ASSERT_TRUE(QFile::copy(pdf, pageOne));
    for (const auto& [in, output] : std::vector<std::pair<QString, QString>>{
             {pdf, dir + QStringLiteral("/alias.pdf")},
             {pageOne, dir + QStringLiteral("/scan-%d.pdf")}}) {
        services.boxes.clear();
        auto dialog = Dialog(in);
        EXPECT_FALSE(Convert(*dialog, kFormatPdf, -1, output));
        EXPECT_EQ(services.boxes.size(), 1u);
    }
    EXPECT_EQ(ReadAll(pdf), pdfBytes);
    EXPECT_EQ(ReadAll(input), psBytes);
    EXPECT_EQ(ReadAll(pageOne), pdfBytes);
    EXPECT_TRUE(statusTexts.isEmpty()); // Ghostscript never started
    EXPECT_EQ(services.busyCalls, 0);
}

TEST_F(ConvertRun, MissingLibraryAsksAbortRetryIgnore) {
    gs::SetLibraryCandidates({dir + QStringLiteral("/libgs-not-here.so")});
    // Abort: the dialog stays open and the status keeps "Converting...".
    auto dialog = Dialog(input);
    services.msgBoxAnswers = {mb::Abort};
    EXPECT_FALSE(Convert(*dialog, kFormatPdf, -1, dir + QStringLiteral("/never.pdf")));
    ASSERT_EQ(services.boxes.size(), 1u);
    const QString prompt = services.boxes[0].prompt;
    EXPECT_TRUE(prompt.startsWith(
        QStringLiteral("An unexpected error occured while converting the file: ")));
    EXPECT_TRUE(prompt.endsWith(QStringLiteral(" (48)")));
    EXPECT_EQ(services.boxes[0].style, mb::AbortRetryIgnore | mb::Exclamation);
    EXPECT_EQ(services.boxes[0].title, QStringLiteral("Error (please report)"));
    EXPECT_EQ(statusTexts, QStringList{"Converting..."});
    EXPECT_FALSE(services.busy);

    // Retry fails again; Ignore goes on and finds no output; No closes the dialog.
    services.boxes.clear();
    statusTexts.clear();
    services.msgBoxAnswers = {mb::Retry, mb::Ignore, mb::No};
    EXPECT_TRUE(Convert(*dialog, kFormatPdf, -1, dir + QStringLiteral("/never.pdf")));
    EXPECT_EQ(services.Prompts(), (QStringList{prompt, prompt, kConversionErrorPrompt}));
    EXPECT_TRUE(statusTexts.value(1).startsWith(QStringLiteral("Converted, took ")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/never.pdf")));
}
