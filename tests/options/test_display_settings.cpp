#include "options/frmDisplaySettings.h"
#include "tests/support/scripted_services.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace quillorn;
using namespace quillorn::options;

namespace {

Options DisplayRecord(std::int16_t resolution, std::int32_t depth, std::int16_t textAlpha,
                      std::int16_t graphicsAlpha) {
    Options o;
    o.Resolution = resolution;
    o.ColourDepth = depth;
    o.TextAlpha = textAlpha;
    o.GraphicsAlpha = graphicsAlpha;
    return o;
}

void ExpectDisplayFields(const Options& o, int resolution, int depth, int textAlpha,
                         int graphicsAlpha) {
    EXPECT_EQ(o.Resolution, resolution);
    EXPECT_EQ(o.ColourDepth, depth);
    EXPECT_EQ(o.TextAlpha, textAlpha);
    EXPECT_EQ(o.GraphicsAlpha, graphicsAlpha);
}

// Types into the resolution box as a user would, after clearing it.
void TypeResolution(frmDisplaySettings& dialog, const QString& text) {
    dialog.txtResolution()->selectAll();
    QTest::keyClick(dialog.txtResolution(), Qt::Key_Delete);
    QTest::keyClicks(dialog.txtResolution(), text);
}

// Shows the dialog through ShowDisplaySettings and lets `user` act on it once it is open.
bool ShowAndAct(Options& record, const std::function<void(frmDisplaySettings&)>& user) {
    test::ScriptedServices services;
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmDisplaySettings*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        acted = true;
        user(*dialog);
    });
    const bool ok = ShowDisplaySettings(record, services);
    EXPECT_TRUE(acted) << "the dialog was not shown modally";
    return ok;
}

} // namespace

TEST(DisplaySettings, HasItsCaptionsListsAndAThreeCharacterResolutionBox) {
    Options record = DisplayRecord(75, 4, 2, 2);
    frmDisplaySettings dialog(record);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Display Settings"));
    const char* labels[] = {
        "Resolution:", "DPI", "Depth:", "Text alpha:", "Graphics alpha:", "bits", "bits"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(dialog.lblInfo(i)->text(), QLatin1String(labels[i])) << i;
    QStringList depths;
    for (int i = 0; i < dialog.cmbDepth()->count(); ++i)
        depths << dialog.cmbDepth()->itemText(i);
    EXPECT_EQ(depths, QStringList({"Black and White", "Greyscale", "16 colour (4-bit)",
                                   "256 colour (8-bit)", "True colour (16-bit)"}));
    EXPECT_EQ(dialog.cmbTextAlpha()->count(), 3);
    EXPECT_EQ(dialog.cmbGraphicsAlpha()->itemText(2), QStringLiteral("4"));
    EXPECT_EQ(dialog.txtResolution()->maxLength(), 3);
    EXPECT_EQ(dialog.cmdOkay()->text(), QStringLiteral("&OK"));
    EXPECT_EQ(dialog.cmdCancel()->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(dialog.cmdOkay()->isDefault());
    dialog.show();
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

TEST(DisplaySettings, OkWithoutChangesKeepsTheFieldsAndCancelKeepsThemAfterEdits) {
    Options record = DisplayRecord(150, 2, 4, 1);
    {
        frmDisplaySettings dialog(record);
        EXPECT_EQ(dialog.txtResolution()->text(), QStringLiteral("150"));
        dialog.cmdOkay()->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    ExpectDisplayFields(record, 150, 2, 4, 1);
    {
        frmDisplaySettings dialog(record);
        TypeResolution(dialog, QStringLiteral("300"));
        dialog.cmbDepth()->setCurrentIndex(0);
        dialog.cmbTextAlpha()->setCurrentIndex(0);
        dialog.cmdCancel()->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    ExpectDisplayFields(record, 150, 2, 4, 1);
}

TEST(DisplaySettings, OkReadsTheTypedResolutionByTheNumberRule) {
    const std::pair<const char*, int> typed[] = {{"", 0},    {"7 2", 72}, {"1E2", 100}, {"2.5", 2},
                                                 {"3.5", 4}, {"DPI", 0},  {"1200", 120}};
    for (const auto& [text, expected] : typed) {
        Options record = DisplayRecord(75, 4, 2, 2);
        frmDisplaySettings dialog(record);
        TypeResolution(dialog, QLatin1String(text)); // the box takes three characters at most
        dialog.cmdOkay()->click();
        EXPECT_EQ(record.Resolution, expected) << text;
    }
}

TEST(DisplaySettings, ValuesTheListsDoNotOfferShowNoSelectionAndSurviveOk) {
    Options record = DisplayRecord(75, 7, 3, 8);
    frmDisplaySettings dialog(record);
    EXPECT_EQ(dialog.cmbDepth()->currentIndex(), -1);
    EXPECT_EQ(dialog.cmbTextAlpha()->currentIndex(), -1);
    EXPECT_EQ(dialog.cmbGraphicsAlpha()->currentIndex(), -1);
    dialog.cmdOkay()->click();
    ExpectDisplayFields(record, 75, 7, 3, 8);

    frmDisplaySettings again(record);
    again.cmbDepth()->setCurrentIndex(0); // "Black and White"
    again.cmbTextAlpha()->setCurrentIndex(2);
    again.cmbGraphicsAlpha()->setCurrentIndex(0);
    again.cmdOkay()->click();
    ExpectDisplayFields(record, 75, 0, 4, 1);
}

TEST(DisplaySettings, AZoomedResolutionAboveThreeDigitsIsShownWholeAndKept) {
    Options record = DisplayRecord(1200, 4, 2, 2);
    {
        frmDisplaySettings dialog(record);
        EXPECT_EQ(dialog.txtResolution()->text(), QStringLiteral("1200"));
        dialog.cmdOkay()->click();
    }
    EXPECT_EQ(record.Resolution, 1200);
    // A typed number that does not fit the field leaves the resolution alone.
    record.Resolution = 10000;
    frmDisplaySettings dialog(record);
    TypeResolution(dialog, QStringLiteral("99999"));
    dialog.cmdOkay()->click();
    EXPECT_EQ(record.Resolution, 10000);
}

TEST(DisplaySettings, ShowsModallyCentredAndAnswersEnterAndEscape) {
    Options record = DisplayRecord(75, 4, 2, 2);
    QPoint centre, screenCentre;
    const bool ok = ShowAndAct(record, [&](frmDisplaySettings& dialog) {
        EXPECT_TRUE(dialog.isModal());
        centre = dialog.frameGeometry().center();
        screenCentre = dialog.screen()->availableGeometry().center();
        TypeResolution(dialog, QStringLiteral("96"));
        QTest::keyClick(dialog.txtResolution(), Qt::Key_Return);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(record.Resolution, 96);
    EXPECT_LE((centre - screenCentre).manhattanLength(), 40);

    // A fresh dialog each showing: it starts from the record, and Escape stores nothing.
    const bool cancelled = !ShowAndAct(record, [](frmDisplaySettings& dialog) {
        EXPECT_EQ(dialog.txtResolution()->text(), QStringLiteral("96"));
        TypeResolution(dialog, QStringLiteral("300"));
        QTest::keyClick(dialog.txtResolution(), Qt::Key_Escape);
    });
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(record.Resolution, 96);
}
