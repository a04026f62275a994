// The conversion dialog, and conversions through its Convert button with the real library.
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "gs/gsapi_binding.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>
#include <tuple>

using namespace quillorn;
using namespace quillorn::convert;

namespace {

// Per format: the devices of its choices, top to bottom, and how its files begin.
const std::array<std::pair<QStringList, QByteArray>, kFormatCount> kExpected = {{
    {{"bmpmono", "bmpgray", "bmp16", "bmp256", "bmp16m"}, "BM"},
    {{"eps2write"}, "%!PS-Adobe-3.0 EPSF"},
    {{"pxlmono", "pxlcolor"}, "\x1B%-12345X@PJL"},
    {{"jpeggray", "jpeg"}, "\xFF\xD8\xFF"},
    {{"pcxmono", "pcxgray", "pcx16", "pcx256", "pcx24b", "pcxcmyk"}, "\x0A"},
    {{"psdrgb", "psdcmyk"}, "8BPS"},
    {{"pdfwrite"}, "%PDF-"},
    {{"pngmono", "pnggray", "png16", "png256", "png16m", "pngalpha"}, "\x89PNG\r\n"},
    {{"pnm"}, "P"},
    {{"ps2write"}, "%!PS-Adobe-3.0\n"},
    {{"tiff24nc", "tiff12nc", "tiffg3", "tiffg4", "tifflzw"}, "II*"},
}};

class ConvertDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test::ScratchDir() + QStringLiteral("/run ünï/") +
              QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir().mkpath(dir);
        input = test::WriteFile(dir + QStringLiteral("/two pages.ps"), test::TwoPagePostScript());
    }
    void TearDown() override { gs::SetLibraryCandidates({}); }

    static std::vector<int> VisibleFrames(const frmConvert& dialog) {
        std::vector<int> visible;
        for (int i = 0; i < kFormatCount; ++i)
            if (!dialog.fraSettings[static_cast<size_t>(i)]->isHidden())
                visible.push_back(i);
        return visible;
    }

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
    bool Convert(const QString& in, int format, const QString& output) {
        return Convert(*Dialog(in), format, format == kFormatPng ? 4 : -1, dir + u'/' + output);
    }

    test::ScriptedServices services;
    options::Options options;
    MessagesHost messages{services};
    QStringList statusTexts;
    ConvertContext context{services, options, messages,
                           [] { return QStringLiteral("/docs/report.ps"); },
                           [this](const QString& t) { statusTexts << t; }};
    QString dir;
    QString input;
};

} // namespace

TEST_F(ConvertDialogTest, OpensWithTheDefaultsAndFramesKeepTheirChoice) {
    frmConvert dialog(QStringLiteral("/docs/report.ps"), true, context);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Convert"));
    EXPECT_EQ(dialog.cmbConvertTo->currentIndex(), kFormatPdf);
    EXPECT_EQ(dialog.txtResolution->text() + dialog.cmbTextAlpha->currentText() +
                  dialog.cmbGraphicsAlpha->currentText() + dialog.txtJPEGQuality->text(),
              QStringLiteral("724490"));
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report.pdf"));
    EXPECT_EQ(VisibleFrames(dialog), std::vector<int>{kFormatPdf});
    for (QRadioButton* b :
         {dialog.optBMPTrue, dialog.optPXLColour, dialog.optJPEGColour, dialog.optPCXTrue,
          dialog.optPSDRGB, dialog.optPNGTrue, dialog.optTIFF24})
        EXPECT_TRUE(b->isChecked()) << b->objectName().toStdString();

    // Choosing a format proposes its name over a typed one; a hidden frame keeps its choice.
    dialog.cmbConvertTo->setCurrentIndex(kFormatPng);
    dialog.optPNGGrey->setChecked(true);
    dialog.txtOutput->setText(QStringLiteral("/elsewhere/typed.png"));
    dialog.cmbConvertTo->setCurrentIndex(kFormatTiff);
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report-%d.tiff"));
    EXPECT_EQ(VisibleFrames(dialog), std::vector<int>{kFormatTiff});
    dialog.cmbConvertTo->setCurrentIndex(kFormatPng);
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report-%d.png"));
    EXPECT_EQ(VisibleFrames(dialog), std::vector<int>{kFormatPng});
    EXPECT_EQ(dialog.Settings().choice, 1);
    EXPECT_EQ(dialog.strFilter, QStringLiteral("Portable Network Graphics file|*.png"));

    // Browse replaces the name only when a file was chosen.
    services.saveAnswers = {QString(), QStringLiteral("/chosen/ünï code.png")};
    for (const char* shown : {"/docs/report-%d.png", "/chosen/ünï code.png"}) {
        dialog.cmdOutputBrowse->click();
        EXPECT_EQ(dialog.txtOutput->text(), QString::fromUtf8(shown));
    }
    EXPECT_EQ(services.dialogTitles.value(1), QStringLiteral("Choose where to put output"));
}

TEST_F(ConvertDialogTest, EveryShowingStartsFromTheDefaultsAndTakesTheRightInput) {
    QStringList seen;
    for (const QString& file : {QString(), QString(), QStringLiteral("/var/spool/KMW1234.tmp")}) {
        // Plays the user: looks at the open dialog, changes things, cancels.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmConvert*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen << QStringLiteral("%1 %2 %3")
                        .arg(dialog->strInputFile, dialog->bStandalone ? "alone" : "menu",
                             dialog->txtOutput->text());
            dialog->cmbConvertTo->setCurrentIndex(kFormatBmp);
            dialog->Command1->click();
        });
        ConvertDialog(file, context);
    }
    EXPECT_EQ(seen, (QStringList{"/docs/report.ps menu /docs/report.pdf",
                                 "/docs/report.ps menu /docs/report.pdf",
                                 "/var/spool/KMW1234.tmp alone /var/spool/KMW1234.pdf"}));
    // Cancelling converts nothing and says nothing.
    EXPECT_TRUE(statusTexts.isEmpty());
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(ConvertDialogTest, EveryDeviceChoiceWritesItsFormatOneFilePerPage) {
    int conversions = 0;
    for (int format = 0; format < kFormatCount; ++format) {
        const auto& [devices, magic] = kExpected[static_cast<size_t>(format)];
        for (int choice = 0; choice < devices.size(); ++choice) {
            SCOPED_TRACE(devices[choice].toStdString());
            auto dialog = Dialog(input);
            dialog->cmbConvertTo->setCurrentIndex(format);
            const QString output = dialog->txtOutput->text().replace(
                QStringLiteral("two pages"), QStringLiteral("out ") + devices[choice]);
            const int button = dialog->Choices(format).empty() ? -1 : choice;
            if (button >= 0)
                dialog->Choices(format)[static_cast<size_t>(button)]->setChecked(true);
            EXPECT_TRUE(ConvertArgumentList(dialog->Settings(), options, services)
                            .contains(QStringLiteral("-sDEVICE=") + devices[choice]));
            ASSERT_TRUE(Convert(*dialog, format, button, output));
            ++conversions;
            for (const char* page : {"1", "2"})
                EXPECT_TRUE(test::ReadFile(QString(output).replace("%d", page)).startsWith(magic));
            // The PCL-XL devices open one more file for the end of the job.
            if (output.contains(QStringLiteral("%d")) && format != kFormatPxl) {
                EXPECT_FALSE(QFile::exists(QString(output).replace("%d", "3")));
            }
        }
    }
    EXPECT_EQ(conversions, 32);
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_FALSE(services.busy);
}

TEST_F(ConvertDialogTest, FirstOutputNameFollowsThePlaceholderForms) {
    EXPECT_TRUE(Convert(input, kFormatPng, QStringLiteral("page-%02d.png")));
    EXPECT_TRUE(services.boxes.empty());
    // Ghostscript writes every page, but the first output is looked for under the raw name.
    EXPECT_TRUE(Convert(input, kFormatPng, QStringLiteral("page-%04d.png")));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/page-0002.png")));
    ASSERT_EQ(services.Prompts(), QStringList{kConversionErrorPrompt});
    EXPECT_EQ(services.boxes[0].style, mb::YesNo | mb::Information);
    EXPECT_EQ(services.boxes[0].title, QStringLiteral("Error in conversion"));
}

TEST_F(ConvertDialogTest, StatusTextsInMenuUseAndNoneStandalone) {
    options.Media = 9; // custom: one message per run, and the run goes on
    services.clock = 86399.75f;
    services.clockStep = -86399.0f; // the second reading comes after midnight
    ASSERT_TRUE(Convert(input, kFormatPdf, QStringLiteral("menu.pdf")));
    EXPECT_EQ(statusTexts, (QStringList{"Converting...", "Converted, took 1 seconds"}));
    EXPECT_EQ(services.Prompts(), QStringList{"Custom paper sizes not done yet"});
    EXPECT_EQ(services.busyCalls, 2);
    EXPECT_FALSE(services.busy);

    statusTexts.clear();
    auto standalone = Dialog(input, true);
    ASSERT_TRUE(Convert(*standalone, kFormatPdf, -1, dir + QStringLiteral("/alone.pdf")));
    EXPECT_TRUE(statusTexts.isEmpty());
}

TEST_F(ConvertDialogTest, FailedConversionOffersTheMessagesWindow) {
    bool messagesShown = false, dialogVisibleWithMessages = true;
    auto dialog = Dialog(input);
    dialog->txtResolution->setText(QStringLiteral("abc")); // -r0: Ghostscript runs and refuses
    services.msgBoxAnswers = {mb::Yes};
    QTimer::singleShot(0, [&] {
        messagesShown = messages.Get().isVisible();
        dialogVisibleWithMessages = dialog->isVisible();
        messages.Get().cmdOkay_Click();
    });
    EXPECT_TRUE(Convert(*dialog, kFormatPng, 4, dir + QStringLiteral("/bad-%d.png")));
    EXPECT_TRUE(messagesShown);
    EXPECT_FALSE(dialogVisibleWithMessages);
    EXPECT_EQ(services.Prompts(), QStringList{kConversionErrorPrompt});
    EXPECT_TRUE(messages.Get().Log().contains(QStringLiteral("rangecheck")));
    EXPECT_FALSE(services.busy);
}

TEST_F(ConvertDialogTest, OnlyAFileThisRunWroteCountsAsSuccess) {
    // An earlier run left page 1 behind; a document without pages writes nothing.
    const QString stale = test::WriteFile(dir + QStringLiteral("/old-1.png"), "stale bytes");
    const QString empty = test::WriteFile(dir + QStringLiteral("/empty.ps"), "%!PS\n");
    EXPECT_TRUE(Convert(empty, kFormatPng, QStringLiteral("old-%d.png")));
    EXPECT_EQ(services.Prompts(), QStringList{kConversionErrorPrompt});
    EXPECT_EQ(test::ReadFile(stale), QByteArray("stale bytes"));
    // A real conversion rewriting it does count.
    services.boxes.clear();
    EXPECT_TRUE(Convert(input, kFormatPng, QStringLiteral("old-%d.png")));
    EXPECT_TRUE(services.boxes.empty());
}

// The proposed names: "two pages.pdf" to PDF and "two pages.ps" to PostScript.
TEST_F(ConvertDialogTest, ConvertingAFileOntoItselfIsRefused) {
    const QString pdf = dir + QStringLiteral("/two pages.pdf");
    ASSERT_TRUE(Convert(input, kFormatPdf, QStringLiteral("two pages.pdf")));
    const QByteArray pdfBytes = test::ReadFile(pdf);
    const QByteArray psBytes = test::ReadFile(input);
    statusTexts.clear();
    services.busyCalls = 0;
    for (const auto& [in, format] : {std::pair{pdf, kFormatPdf}, {input, kFormatPs}}) {
        services.boxes.clear();
        auto dialog = Dialog(in);
        dialog->cmbConvertTo->setCurrentIndex(format);
        EXPECT_FALSE(Convert(*dialog, format, -1, dialog->txtOutput->text()));
        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_TRUE(services.boxes[0].prompt.contains(QStringLiteral("would overwrite")));
        EXPECT_EQ(services.boxes[0].style, mb::OkOnly | mb::Exclamation);
        // The dialog stays open with what the user set.
        EXPECT_EQ(dialog->txtOutput->text() + dialog->cmbConvertTo->currentText(),
                  in + dialog->cmbConvertTo->itemText(format));
    }
    EXPECT_EQ(test::ReadFile(pdf), pdfBytes);
    EXPECT_EQ(test::ReadFile(input), psBytes);
    EXPECT_TRUE(statusTexts.isEmpty()); // Ghostscript never started
    EXPECT_EQ(services.busyCalls, 0);
}

TEST_F(ConvertDialogTest, LibraryFailures) {
    // A missing library is asked about like a missing output; No goes on with the next step,
    // which finds no output and asks again.
    gs::SetLibraryCandidates({dir + QStringLiteral("/libgs-not-here.so")});
    EXPECT_TRUE(Convert(input, kFormatPdf, QStringLiteral("never.pdf")));
    EXPECT_EQ(services.Prompts(), (QStringList{kConversionErrorPrompt, kConversionErrorPrompt}));
    EXPECT_TRUE(statusTexts.value(1).startsWith(QStringLiteral("Converted, took ")));

    // Any other failure: Abort keeps the dialog open and the status at "Converting...".
    gs::SetLibraryCandidates({QStringLiteral(BROKEN_GS)}); // an entry point is missing
    services.boxes.clear();
    statusTexts.clear();
    auto dialog = Dialog(input);
    services.msgBoxAnswers = {mb::Abort};
    EXPECT_FALSE(Convert(*dialog, kFormatPdf, -1, dir + QStringLiteral("/never.pdf")));
    ASSERT_EQ(services.boxes.size(), 1u);
    const QString prompt = services.boxes[0].prompt;
    EXPECT_TRUE(prompt.startsWith("An unexpected error occured while converting the file: ") &&
                prompt.endsWith(" (453)"));
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
}
