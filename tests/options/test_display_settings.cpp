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

Options Fields(std::int16_t resolution, std::int32_t depth, std::int16_t text, std::int16_t gfx) {
    return {0, 0, false, false, 0, {}, resolution, depth, text, gfx, false};
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
        if (auto* dialog = qobject_cast<frmDisplaySettings*>(QApplication::activeModalWidget()))
            acted = true, user(*dialog);
    });
    const bool ok = ShowDisplaySettings(record, services);
    EXPECT_TRUE(acted) << "the dialog was not shown modally";
    return ok;
}

} // namespace

TEST(DisplaySettings, HasItsCaptionsAndLists) {
    Options record = Fields(75, 4, 2, 2);
    frmDisplaySettings dialog(record);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Display Settings"));
    QStringList texts;
    for (int i = 0; i < 7; ++i)
        texts << dialog.lblInfo(i)->text();
    for (const QComboBox* list :
         {dialog.cmbDepth(), dialog.cmbTextAlpha(), dialog.cmbGraphicsAlpha()})
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    EXPECT_EQ(texts.join(u'|'), "Resolution:|DPI|Depth:|Text alpha:|Graphics alpha:|bits|bits|"
                                "Black and White|Greyscale|16 colour (4-bit)|256 colour (8-bit)|"
                                "True colour (16-bit)|1|2|4|1|2|4");
    EXPECT_EQ(dialog.cmdOkay()->text() + dialog.cmdCancel()->text(), QStringLiteral("&OK&Cancel"));
}

TEST(DisplaySettings, OkKeepsUnchangedFieldsAndCancelKeepsThemAfterEdits) {
    Options record = Fields(150, 2, 4, 1);
    frmDisplaySettings(record).cmdOkay()->click();
    EXPECT_EQ(record, Fields(150, 2, 4, 1));
    // The same edits cancelled, then confirmed: list choices are stored by position.
    for (bool ok : {false, true}) {
        frmDisplaySettings edited(record);
        TypeResolution(edited, QStringLiteral("300"));
        edited.cmbDepth()->setCurrentIndex(0); // "Black and White"
        edited.cmbTextAlpha()->setCurrentIndex(0);
        edited.cmbGraphicsAlpha()->setCurrentIndex(2);
        (ok ? edited.cmdOkay() : edited.cmdCancel())->click();
        EXPECT_EQ(record, ok ? Fields(300, 0, 1, 4) : Fields(150, 2, 4, 1));
    }
}

// The box takes three characters at most; a number too large for the field changes nothing.
TEST(DisplaySettings, OkReadsTheTypedResolutionByTheNumberRule) {
    const std::tuple<int, const char*, int> typed[] = {
        {75, "", 0},    {75, "7 2", 72}, {75, "1E2", 100},  {75, "2.5", 2},
        {75, "3.5", 4}, {75, "DPI", 0},  {75, "1200", 120}, {10000, "99999", 10000}};
    for (const auto& [before, text, expected] : typed) {
        Options record = Fields(std::int16_t(before), 4, 2, 2);
        frmDisplaySettings dialog(record);
        TypeResolution(dialog, QLatin1String(text));
        dialog.cmdOkay()->click();
        EXPECT_EQ(record.Resolution, expected) << text;
    }
}

TEST(DisplaySettings, ValuesTheListsOrTheBoxCannotShowSurviveOk) {
    Options record = Fields(1200, 7, 3, 8);
    frmDisplaySettings odd(record);
    EXPECT_EQ(odd.cmbDepth()->currentIndex(), -1);
    EXPECT_EQ(odd.cmbTextAlpha()->currentIndex(), -1);
    EXPECT_EQ(odd.txtResolution()->text(), QStringLiteral("1200")); // a zoomed resolution, whole
    odd.cmdOkay()->click();
    EXPECT_EQ(record, Fields(1200, 7, 3, 8));
}

TEST(DisplaySettings, ShowsModallyCentredFixedAndAnswersEnterAndEscape) {
    Options record = Fields(75, 4, 2, 2);
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
