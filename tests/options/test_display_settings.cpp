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

Options DisplayFields(std::int16_t resolution, std::int32_t depth, std::int16_t textAlpha,
                      std::int16_t graphicsAlpha) {
    Options o;
    o.Resolution = resolution;
    o.ColourDepth = depth;
    o.TextAlpha = textAlpha;
    o.GraphicsAlpha = graphicsAlpha;
    return o;
}

// Types into the resolution box as a user would, after clearing it.
void TypeResolution(frmDisplaySettings& dialog, const QString& text) {
    dialog.txtResolution()->clear();
    QTest::keyClicks(dialog.txtResolution(), text);
}

// Shows the dialog the way the main window does and lets `user` act once it is open.
bool ShowAndAct(Options& record, const std::function<void(frmDisplaySettings&)>& user) {
    test::ScriptedServices services;
    bool acted = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<frmDisplaySettings*>(QApplication::activeModalWidget())) {
            acted = true;
            user(*dialog);
        }
    });
    const bool ok = ShowDisplaySettings(record, services);
    EXPECT_TRUE(acted) << "the dialog was not shown modally";
    return ok;
}

} // namespace

TEST(DisplaySettings, HasItsCaptionsAndLists) {
    Options record = DisplayFields(75, 4, 2, 2);
    frmDisplaySettings dialog(record);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Display Settings"));
    const char* labels[] = {
        "Resolution:", "DPI", "Depth:", "Text alpha:", "Graphics alpha:", "bits", "bits"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(dialog.lblInfo(i)->text(), QLatin1String(labels[i])) << i;
    const auto entries = [](const QComboBox* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->itemText(i);
        return out;
    };
    EXPECT_EQ(entries(dialog.cmbDepth()),
              QStringList({"Black and White", "Greyscale", "16 colour (4-bit)",
                           "256 colour (8-bit)", "True colour (16-bit)"}));
    EXPECT_EQ(entries(dialog.cmbTextAlpha()), QStringList({"1", "2", "4"}));
    EXPECT_EQ(entries(dialog.cmbGraphicsAlpha()), QStringList({"1", "2", "4"}));
    EXPECT_EQ(dialog.cmdOkay()->text(), QStringLiteral("&OK"));
    EXPECT_EQ(dialog.cmdCancel()->text(), QStringLiteral("&Cancel"));
}

TEST(DisplaySettings, OkKeepsUnchangedFieldsAndCancelKeepsThemAfterEdits) {
    Options record = DisplayFields(150, 2, 4, 1);
    frmDisplaySettings unchanged(record);
    unchanged.cmdOkay()->click();
    EXPECT_EQ(record, DisplayFields(150, 2, 4, 1));
    frmDisplaySettings edited(record);
    TypeResolution(edited, QStringLiteral("300"));
    edited.cmbDepth()->setCurrentIndex(0);
    edited.cmbTextAlpha()->setCurrentIndex(0);
    edited.cmdCancel()->click();
    EXPECT_EQ(record, DisplayFields(150, 2, 4, 1));
    // Choices the lists offer are stored by position.
    frmDisplaySettings chosen(record);
    chosen.cmbDepth()->setCurrentIndex(0); // "Black and White"
    chosen.cmbTextAlpha()->setCurrentIndex(2);
    chosen.cmbGraphicsAlpha()->setCurrentIndex(0);
    chosen.cmdOkay()->click();
    EXPECT_EQ(record, DisplayFields(150, 0, 4, 1));
}

TEST(DisplaySettings, OkReadsTheTypedResolutionByTheNumberRule) {
    // The box takes three characters at most.
    const std::pair<const char*, int> typed[] = {{"", 0},    {"7 2", 72}, {"1E2", 100}, {"2.5", 2},
                                                 {"3.5", 4}, {"DPI", 0},  {"1200", 120}};
    for (const auto& [text, expected] : typed) {
        Options record = DisplayFields(75, 4, 2, 2);
        frmDisplaySettings dialog(record);
        TypeResolution(dialog, QLatin1String(text));
        dialog.cmdOkay()->click();
        EXPECT_EQ(record.Resolution, expected) << text;
    }
}

TEST(DisplaySettings, ValuesTheListsOrTheBoxCannotShowSurviveOk) {
    // No selection for what the lists do not offer.
    Options record = DisplayFields(75, 7, 3, 8);
    frmDisplaySettings odd(record);
    EXPECT_EQ(odd.cmbDepth()->currentIndex(), -1);
    EXPECT_EQ(odd.cmbTextAlpha()->currentIndex(), -1);
    odd.cmdOkay()->click();
    EXPECT_EQ(record, DisplayFields(75, 7, 3, 8));
    // A zoomed resolution above three digits is shown whole.
    record.Resolution = 1200;
    frmDisplaySettings zoomed(record);
    EXPECT_EQ(zoomed.txtResolution()->text(), QStringLiteral("1200"));
    zoomed.cmdOkay()->click();
    EXPECT_EQ(record.Resolution, 1200);
    // A typed number too large for the field leaves the resolution alone.
    record.Resolution = 10000;
    frmDisplaySettings large(record);
    TypeResolution(large, QStringLiteral("99999"));
    large.cmdOkay()->click();
    EXPECT_EQ(record.Resolution, 10000);
}

TEST(DisplaySettings, ShowsModallyCentredFixedAndAnswersEnterAndEscape) {
    Options record = DisplayFields(75, 4, 2, 2);
    QPoint offCentre;
    EXPECT_TRUE(ShowAndAct(record, [&](frmDisplaySettings& dialog) {
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        offCentre = dialog.frameGeometry().center() - dialog.screen()->availableGeometry().center();
        TypeResolution(dialog, QStringLiteral("96"));
        QTest::keyClick(dialog.txtResolution(), Qt::Key_Return);
    }));
    EXPECT_EQ(record.Resolution, 96);
    EXPECT_LE(offCentre.manhattanLength(), 40);
    // A fresh dialog each showing starts from the record; Escape stores nothing.
    EXPECT_FALSE(ShowAndAct(record, [](frmDisplaySettings& dialog) {
        EXPECT_EQ(dialog.txtResolution()->text(), QStringLiteral("96"));
        TypeResolution(dialog, QStringLiteral("300"));
        QTest::keyClick(dialog.txtResolution(), Qt::Key_Escape);
    }));
    EXPECT_EQ(record.Resolution, 96);
}
