#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "tests/support/scripted_services.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::convert;

namespace {

class ConvertDialogTest : public ::testing::Test {
protected:
    test::ScriptedServices services;
    options::Options options;
    MessagesHost messages{services};
    QStringList statusTexts;
    ConvertContext context{services, options, messages,
                           [] { return QStringLiteral("/docs/report.ps"); },
                           [this](const QString& t) { statusTexts << t; }};

    std::vector<int> VisibleFrames(const frmConvert& dialog) const {
        std::vector<int> visible;
        for (int i = 0; i < kFormatCount; ++i)
            if (!dialog.fraSettings[static_cast<size_t>(i)]->isHidden())
                visible.push_back(i);
        return visible;
    }
};

} // namespace

TEST_F(ConvertDialogTest, OpensWithTheDefaultsAndTheProposedName) {
    frmConvert dialog(QStringLiteral("/docs/report.ps"), true, context);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Convert"));
    EXPECT_EQ(dialog.cmbConvertTo->count(), kFormatCount);
    EXPECT_EQ(dialog.cmbConvertTo->currentIndex(), kFormatPdf);
    EXPECT_EQ(dialog.cmbConvertTo->currentText(),
              QStringLiteral("Portable Document Format (PDF) File"));
    EXPECT_EQ(dialog.txtResolution->text(), QStringLiteral("72"));
    EXPECT_EQ(dialog.txtResolution->maxLength(), 3);
    EXPECT_EQ(dialog.cmbTextAlpha->currentText(), QStringLiteral("4"));
    EXPECT_EQ(dialog.cmbGraphicsAlpha->currentText(), QStringLiteral("4"));
    EXPECT_EQ(dialog.txtJPEGQuality->text(), QStringLiteral("90"));
    EXPECT_EQ(dialog.txtJPEGQuality->maxLength(), 3);
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report.pdf"));
    EXPECT_EQ(VisibleFrames(dialog), std::vector<int>{kFormatPdf});
    EXPECT_EQ(dialog.fraSettings[kFormatPdf]->title(), QStringLiteral("PDF - Additional Settings"));
    EXPECT_EQ(dialog.lblPDFNone->text(), QStringLiteral("[none]"));
    EXPECT_EQ(dialog.lblPNMNone->text(), QStringLiteral("[none]"));
    EXPECT_EQ(dialog.strFilter, QStringLiteral("Portable Data Format file|*.pdf"));
    EXPECT_EQ(dialog.Command1->text(), QStringLiteral("C&ancel"));
    EXPECT_EQ(dialog.cmdConvert->text(), QStringLiteral("&Convert"));
    EXPECT_TRUE(dialog.cmdConvert->isDefault());
    EXPECT_EQ(dialog.cmdOutputBrowse->text(), QStringLiteral("..."));
    EXPECT_TRUE(dialog.lblInfo[7]->text().startsWith(
        QStringLiteral("If you want to export more than one page, then put a %d")));

    // Each frame has exactly its default chosen; 32 choices in all.
    int total = 0;
    for (int i = 0; i < kFormatCount; ++i) {
        const auto& buttons = dialog.Choices(i);
        const OutputFormat& format = *FormatAt(i);
        total += buttons.empty() ? 1 : static_cast<int>(buttons.size());
        for (size_t b = 0; b < buttons.size(); ++b)
            EXPECT_EQ(buttons[b]->isChecked(), static_cast<int>(b) == format.defaultChoice);
    }
    EXPECT_EQ(total, 32);
    EXPECT_TRUE(dialog.optBMPTrue->isChecked());
    EXPECT_TRUE(dialog.optPXLColour->isChecked());
    EXPECT_TRUE(dialog.optTIFF24->isChecked());
    EXPECT_EQ(dialog.optTIFFG3->text(), QStringLiteral("B&&W G3 Fax Encoding"));
}

TEST_F(ConvertDialogTest, ChoosingAFormatShowsItsFrameAndDiscardsATypedName) {
    frmConvert dialog(QStringLiteral("/docs/report.ps"), true, context);
    dialog.cmbConvertTo->setCurrentIndex(kFormatPng);
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report-%d.png"));
    EXPECT_EQ(dialog.strFilter, QStringLiteral("Portable Network Graphics file|*.png"));
    dialog.optPNGGrey->setChecked(true);
    dialog.txtOutput->setText(QStringLiteral("/elsewhere/typed.png"));

    dialog.cmbConvertTo->setCurrentIndex(kFormatTiff);
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report-%d.tiff"));
    EXPECT_EQ(VisibleFrames(dialog), std::vector<int>{kFormatTiff});
    dialog.optTIFFG4->setChecked(true);

    dialog.cmbConvertTo->setCurrentIndex(kFormatPng);
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/docs/report-%d.png"));
    EXPECT_EQ(VisibleFrames(dialog), std::vector<int>{kFormatPng});
    // Each frame kept its own choice while hidden.
    EXPECT_TRUE(dialog.optPNGGrey->isChecked());
    EXPECT_FALSE(dialog.optPNGTrue->isChecked());
    EXPECT_TRUE(dialog.optTIFFG4->isChecked());
    EXPECT_EQ(dialog.Settings().choice, 1);
}

TEST_F(ConvertDialogTest, ProposalsForUnusualPaths) {
    frmConvert dots(QStringLiteral("/a.b/c.d.ps"), true, context);
    EXPECT_EQ(dots.txtOutput->text(), QStringLiteral("/a.b/c.d.pdf"));
    frmConvert folderDot(QStringLiteral("/my.docs/report"), true, context);
    EXPECT_EQ(folderDot.txtOutput->text(), QStringLiteral("/my.pdf"));
    frmConvert noDot(QStringLiteral("/docs/report"), true, context);
    EXPECT_EQ(noDot.txtOutput->text(), QStringLiteral("/docs/report.pdf"));
}

TEST_F(ConvertDialogTest, BrowseReplacesTheNameOnlyWhenAFileWasChosen) {
    frmConvert dialog(QStringLiteral("/docs/report.ps"), true, context);
    dialog.cmbConvertTo->setCurrentIndex(kFormatJpeg);
    dialog.txtOutput->setText(QStringLiteral("/typed/by hand.jpg"));
    services.saveAnswers = {QString(), QStringLiteral("/chosen/ünï code-%d.jpg")};
    dialog.cmdOutputBrowse->click(); // cancelled
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/typed/by hand.jpg"));
    dialog.cmdOutputBrowse->click();
    EXPECT_EQ(dialog.txtOutput->text(), QStringLiteral("/chosen/ünï code-%d.jpg"));
    EXPECT_EQ(services.dialogTitles,
              (QStringList{"Choose where to put output", "Choose where to put output"}));
    EXPECT_EQ(DialogFilter(dialog.strFilter), QStringLiteral("JPEG files (*.jpeg *.jpg)"));
}

TEST_F(ConvertDialogTest, EveryShowingStartsFromTheDefaultsAndTakesTheRightInput) {
    struct Seen {
        QString input;
        bool standalone = false;
        int format = -1;
        QString resolution;
    };
    std::vector<Seen> seen;
    // Plays the user: looks at the open dialog, changes everything, cancels.
    const auto visit = [&] {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frmConvert*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen.push_back({dialog->strInputFile, dialog->bStandalone,
                            dialog->cmbConvertTo->currentIndex(), dialog->txtResolution->text()});
            EXPECT_TRUE(dialog->isVisible());
            dialog->cmbConvertTo->setCurrentIndex(kFormatBmp);
            dialog->txtResolution->setText(QStringLiteral("300"));
            dialog->Command1->click();
        });
    };
    visit();
    ConvertDialog({}, context);
    visit();
    ConvertDialog({}, context);
    visit();
    ConvertDialog(QStringLiteral("/var/spool/KMW1234.tmp"), context);
    ASSERT_EQ(seen.size(), 3u);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.format, kFormatPdf);
        EXPECT_EQ(s.resolution, QStringLiteral("72"));
    }
    EXPECT_EQ(seen[1].input, QStringLiteral("/docs/report.ps"));
    EXPECT_FALSE(seen[1].standalone);
    EXPECT_EQ(seen[2].input, QStringLiteral("/var/spool/KMW1234.tmp"));
    EXPECT_TRUE(seen[2].standalone);
    // Cancelling converts nothing and says nothing.
    EXPECT_TRUE(statusTexts.isEmpty());
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_EQ(services.busyCalls, 0);
}
