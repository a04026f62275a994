// The conversion: its argument line and output names, runs of the real library on a real
// two-page document, and the dialog offscreen around them.
#include "convert/convert_dialog.h"
#include "convert/core/output_files.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/test_env.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::convert;
using namespace quillorn::test;

namespace {

QStringList texts(std::initializer_list<const char*> items) {
    return QString::fromUtf8(QByteArrayList(items.begin(), items.end()).join('\n')).split(u'\n');
}

} // namespace

TEST(ConvertArguments, WorkedExampleAndTheOrderOfTheSwitches) {
    options::Options o;
    o.safer = true, o.media = options::Paper::A4;
    EXPECT_EQ(convertArgumentList(settings(), o),
              texts({"quillorn", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite",
                     "-dCompatibilityLevel=1.3", "-dPDFSETTINGS=/prepress", "-r72",
                     "-dGraphicsAlphaBits=4", "-dTextAlphaBits=4", "-sPAPERSIZE=a4",
                     "-sOutputFile=/docs/a b.pdf", "/docs/a b.ps"}));
    // One device element where PDF has three; graphics before text; fixed media after paper.
    ConvertSettings s = settings({}, kFormatPnm);
    s.graphicsAlpha = 0, s.textAlpha = 1;
    o.media = options::Paper::Letter, o.overrideDefaultMedia = true;
    EXPECT_EQ(convertArgumentList(s, o).mid(3, 7),
              texts({"-dSAFER", "-sDEVICE=pnm", "-r72", "-dGraphicsAlphaBits=1",
                     "-dTextAlphaBits=2", "-sPAPERSIZE=letter", "-dFIXEDMEDIA"}));
    o.media = options::Paper::Custom; // no size at all
    s.graphicsAlpha = -1;             // no entry chosen: no switch, and text keeps its own
    const QString line = convertArgumentList(s, o).join(u' ');
    EXPECT_FALSE(line.contains(u"PAPERSIZE") || line.contains(u"GraphicsAlphaBits"));
    EXPECT_TRUE(line.contains(u"-dTextAlphaBits=2"));
}

TEST(ConvertArguments, NumbersFromTheQualityAndResolutionTexts) {
    // Ghostscript always gets "." as the decimal point, whatever the user's locale.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ConvertSettings s = settings({}, kFormatJpeg, 1);
    // quality, resolution: the elements right after the device
    const std::array<std::array<const char*, 4>, 3> rows = {{{"", "abc", "-dJPEGQ=0", "-r0"},
                                                             {"90", "1.5", "-dJPEGQ=90", "-r1.5"},
                                                             {"90", "-0", "-dJPEGQ=90", "-r0"}}};
    for (const auto& [quality, resolution, q, r] : rows) {
        s.jpegQuality = QString::fromUtf8(quality), s.resolution = QString::fromUtf8(resolution);
        EXPECT_EQ(convertArgumentList(s, {}).mid(4, 3), texts({"-sDEVICE=jpeg", q, r})) << r;
    }
    QLocale::setDefault(before);
}

TEST(ConvertArguments, PageDescriptionDevicesReachTheLibraryWithoutAntiAliasing) {
    QStringList pdf = convertArgumentList(settings(), {});
    pdf.last() = QStringLiteral("-dTextAlphaBits=4"); // a file element is never a switch
    EXPECT_EQ(libraryArguments(pdf), pdf.mid(0, 8) + pdf.mid(10));
    const QStringList png = convertArgumentList(settings({}, kFormatPng, 5), {});
    EXPECT_EQ(libraryArguments(png), png);
}

TEST(OutputNames, ProposalAndFirstFile) {
    const auto proposal = [](const char* input, int format) {
        return proposeOutputName(QString::fromUtf8(input), format).toStdString();
    };
    // The name ending replaces the file name's extension; a dot in a folder is none, and a "%"
    // of the input's name stays literal.
    EXPECT_EQ(proposal("/a.b/c.d.ps", kFormatPdf), "/a.b/c.d.pdf");
    EXPECT_EQ(proposal("/my.docs/report", kFormatPdf), "/my.docs/report.pdf");
    EXPECT_EQ(proposal("/docs/scan%d.ps", kFormatPdf), "/docs/scan%%d.pdf");
    EXPECT_EQ(proposal("/docs/report", kFormatTiff), "/docs/report-%d.tiff");
    const auto first = [](const char* output) {
        return firstOutputName(QString::fromUtf8(output)).toStdString();
    };
    EXPECT_EQ(first("/out/page-%d.png"), "/out/page-1.png");
    EXPECT_EQ(first("/out/page-%03d.png"), "/out/page-001.png");
    // Only %d and %0Nd stand for the page; every other "%" is itself.
    EXPECT_EQ(first("/out/%d-%D-%x-%ld-%.1d-100% done-%%d.png"),
              "/out/1-%D-%x-%ld-%.1d-100% done-%d.png");
    EXPECT_EQ(OutputPattern(QStringLiteral("/o/%x-%d-%%d 5%.png")).forGhostscript(),
              QStringLiteral("/o/%%x-%d-%%d 5%%.png"));
}

TEST(OutputNames, OverwritingTheInputIsRecognisedThroughLinks) {
    const QString dir = test::scratchDir() + QStringLiteral("/overwrite");
    const QString input = test::writeFile(dir + QStringLiteral("/report.pdf"), "%PDF-1.4\n");
    QDir().mkpath(dir + QStringLiteral("/sub"));
    ASSERT_TRUE(QFile::link(dir, dir + QStringLiteral("/linked-dir")));
    ASSERT_EQ(::link(QFile::encodeName(input).constData(),
                     QFile::encodeName(dir + QStringLiteral("/hard.pdf")).constData()),
              0);
    for (const char* same : {"/sub/../report.pdf", "/linked-dir/report.pdf", "/hard.pdf"})
        EXPECT_TRUE(wouldOverwriteInput(dir + QLatin1String(same), input)) << same;
    EXPECT_FALSE(wouldOverwriteInput(dir + QStringLiteral("/report-%d.png"), input));
    // A missing input must not be named as the output either: Ghostscript would read it back.
    EXPECT_TRUE(wouldOverwriteInput(dir + QStringLiteral("/missing.pdf"),
                                    dir + QStringLiteral("/sub/../missing.pdf")));
    // Any page of a pattern, not only page 1, in the pattern's own width.
    const QString page3 = test::writeFile(dir + QStringLiteral("/scan-003.pdf"), "%PDF-1.4\n");
    EXPECT_TRUE(wouldOverwriteInput(dir + QStringLiteral("/scan-%03d.pdf"), page3));
    EXPECT_FALSE(wouldOverwriteInput(dir + QStringLiteral("/scan-%04d.pdf"), page3));
}

// Every choice of every format: files of that format, one per page.
TEST_F(ConversionRun, EveryDeviceWritesItsFormatOneFilePerPage) {
    const std::array<const char*, kFormatCount> magic = {"BM",
                                                         "%!PS-Adobe-3.0 EPSF",
                                                         "\x1B%-12345X@PJL",
                                                         "\xFF\xD8\xFF",
                                                         "\x0A",
                                                         "8BPS",
                                                         "%PDF-",
                                                         "\x89PNG\r\n",
                                                         "P",
                                                         "%!PS-Adobe-3.0\n",
                                                         "II*"};
    for (int format = 0; format < kFormatCount; ++format) {
        const auto choices = static_cast<int>(formatAt(format)->choices.size());
        for (int choice = choices > 0 ? 0 : -1; choice < choices; ++choice) {
            SCOPED_TRACE(testing::Message() << format << "/" << choice);
            const QString output = dir + QStringLiteral("/out %1 %2").arg(format).arg(choice) +
                                   QLatin1String(formatAt(format)->nameEnding);
            const auto page = [&](const char* n) {
                return QString(output).replace(QStringLiteral("%d"), QLatin1String(n));
            };
            const ConvertSettings s = settings(input, format, choice, output);
            ASSERT_EQ(test::convertAndWait(s, options, context()), RunOutcome::CloseDialog);
            const char* begins = magic[static_cast<size_t>(format)];
            EXPECT_TRUE(test::readFile(page("1")).startsWith(begins));
            EXPECT_TRUE(test::readFile(page("2")).startsWith(begins));
            // The PCL-XL devices open one more file for the end of the job.
            EXPECT_TRUE(format == kFormatPxl || page("3") == output || !QFile::exists(page("3")));
        }
    }
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(dialogs.busy, 0);
}

TEST_F(ConversionRun, BrokenLibraryIsAnUnexpectedError) {
    // A library that lacks an entry point is unexpected; "Abort" keeps the dialog open.
    runner.setLibraryCandidates({QStringLiteral(BROKEN_GS)});
    EXPECT_EQ(
        test::convertAndWait(settings(input, kFormatPdf, -1, dir + QStringLiteral("/out.pdf")),
                             options, context()),
        RunOutcome::KeepOpen);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    static const QRegularExpression unexpected(
        QStringLiteral("^An unexpected error occurred while converting the file: .+ \\(453\\)$"));
    EXPECT_TRUE(dialogs.boxes[0].text.contains(unexpected));
    EXPECT_EQ(dialogs.busy, 0);
}

class ConvertDialogTest : public ConversionRun {
protected:
    void open(const QString& file) {
        dialog = std::make_unique<ConvertDialog>(
            file, ConvertContext{dialogs, options, messages, runner, status});
        dialog->show();
    }
    template <typename T = QWidget> T* child(const std::string& name) const {
        T* found = dialog->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void convertTo(const QString& output) {
        child<QLineEdit>("outputEdit")->setText(output);
        child<QPushButton>("convertButton")->click();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog->isConverting(); }, 60000));
    }
    std::unique_ptr<ConvertDialog> dialog;
};

TEST_F(ConvertDialogTest, OpensWithTheDefaultsAndFramesKeepTheirChoice) {
    open(QStringLiteral("/docs/report.ps"));
    auto* formats = child<QComboBox>("formatCombo");
    auto* output = child<QLineEdit>("outputEdit");
    EXPECT_EQ(output->text(), QStringLiteral("/docs/report.pdf"));
    EXPECT_EQ(convertArgumentList(dialog->settings(), options).mid(4, 6),
              convertArgumentList(settings(), options).mid(4, 6));

    // Choosing a format proposes its name over a typed one; a hidden frame keeps its choice.
    formats->setCurrentIndex(kFormatJpeg);
    child<QRadioButton>("jpegGrey")->setChecked(true);
    child<QLineEdit>("jpegQualityEdit")->setText(QStringLiteral("75"));
    child<QLineEdit>("resolutionEdit")->setText(QStringLiteral("150"));
    child<QComboBox>("textAlphaCombo")->setCurrentIndex(0);
    output->setText(QStringLiteral("/elsewhere/typed.jpg"));
    formats->setCurrentIndex(kFormatTiff);
    EXPECT_EQ(output->text(), QStringLiteral("/docs/report-%d.tiff"));
    formats->setCurrentIndex(kFormatJpeg);
    EXPECT_EQ(output->text(), QStringLiteral("/docs/report-%d.jpg"));
    EXPECT_EQ(convertArgumentList(dialog->settings(), options).mid(4, 5),
              texts({"-sDEVICE=jpeggray", "-dJPEGQ=75", "-r150", "-dGraphicsAlphaBits=4",
                     "-dTextAlphaBits=1"}));

    // Browse replaces the name only when a file was chosen.
    output->setText(QStringLiteral("/elsewhere/typed.jpg"));
    dialogs.saveAnswers = {QString(), QStringLiteral("/chosen/ünï code.jpg")};
    for (const char* shown : {"/elsewhere/typed.jpg", "/chosen/ünï code.jpg"}) {
        child<QPushButton>("browseButton")->click();
        EXPECT_EQ(output->text(), QString::fromUtf8(shown));
    }
    // Cancel closes it without a word.
    child<QPushButton>("cancelButton")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialogs.boxes.empty() && statusTexts.isEmpty());
}

TEST_F(ConvertDialogTest, ConvertingClosesTheDialogAndReportsOnTheStatusLine) {
    options.media = options::Paper::Custom; // said once per run, and the run goes on
    messages.onShow = [] { ADD_FAILURE() << "messages shown after a good run"; };
    for (const QString& pdf :
         {dir + QStringLiteral("/menu.pdf"), dir + QStringLiteral("/alone.pdf")}) {
        open(input);
        convertTo(pdf);
        EXPECT_FALSE(dialog->isVisible());
        // Standalone there is no status line; calling the empty callback would be an error box.
        EXPECT_EQ(dialogs.boxes.size(), 1u);
        dialogs.boxes.clear();
        status = nullptr;
    }
    EXPECT_EQ(statusTexts.size(), 2); // the standalone run said nothing
}

TEST_F(ConvertDialogTest, RefusedRunKeepsItOpenAndMessagesComeAfterItClosed) {
    open(input);
    convertTo(input); // the document itself: refused before Ghostscript starts
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialogs.texts().value(0).contains(QStringLiteral("would overwrite")));
    EXPECT_TRUE(statusTexts.isEmpty() && messages.log.isEmpty());
    // A resolution of no dots is refused with its reason before Ghostscript starts.
    for (const char* typed : {"abc", "0", "-5"}) {
        dialogs.boxes.clear();
        child<QLineEdit>("resolutionEdit")->setText(QLatin1String(typed));
        convertTo(dir + QStringLiteral("/bad.pdf"));
        EXPECT_TRUE(dialog->isVisible() && dialogs.boxes.size() == 1) << typed;
        EXPECT_TRUE(dialogs.texts().value(0).contains(QStringLiteral("resolution"))) << typed;
    }
    EXPECT_TRUE(messages.log.isEmpty());
    // A document Ghostscript fails on; "Yes" shows the messages once the dialog has closed.
    open(writeFile(dir + QStringLiteral("/broken.ps"), "%!PS\nnoSuchOperator\n"));
    dialogs.answers = {Answer::Yes};
    std::vector<bool> shownOverDialog;
    messages.onShow = [&] { shownOverDialog.push_back(dialog->isVisible()); };
    convertTo(dir + QStringLiteral("/bad.pdf"));
    EXPECT_EQ(shownOverDialog, std::vector<bool>{false});
    EXPECT_TRUE(messages.log.contains(QStringLiteral("undefined")));
}
