#include "base/settings_store.h"
#include "options/core/display_settings.h"
#include "options/core/options_store.h"
#include "options/core/paper.h"
#include "options/display_settings_dialog.h"
#include "options/options_menus.h"
#include "tests/support/test_env.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::options;

namespace {

// Safer, true colour, 75 dpi, anti-aliasing 2 and 2, paper index 0, no fixed paper size.
const Options kFirstStart = {0, 0, true, false, 0, {}, 75, 4, 2, 2, false};
// Every field away from its first-start value.
const Options kChanged = {3, 2, false, true, 9, {612, -792}, 600, 0, 1, 4, true};

template <typename T = QWidget> T* child(const QObject& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

// Shows the dialog the way the main window does; `user` acts once it is open.
bool showAndAct(Options& record, const std::function<void(QDialog&)>& user) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            acted = true, user(*dialog);
    });
    const bool ok = DisplaySettingsDialog::edit(record);
    EXPECT_TRUE(acted) << "the dialog was not shown modally";
    return ok;
}

} // namespace

// Texts the program never writes, and numbers it cannot use, read as the defaults; numbers go
// by the number rule. A stored paper size wins over the system's.
TEST(OptionsStore, ReadsWhatItWritesAndDefaultsForTextsItNeverWrites) {
    Options letter = kFirstStart;
    letter.media = 8;
    const std::tuple<QByteArray, std::int32_t, Options> stores[] = {
        {"", 0, kFirstStart},
        {"", 8, letter},
        {"[Options]\nMedia=0\n", 8, kFirstStart},
        {"[Options]\nUnits=3\nOrientation=2\nSafer=False\nBoundingBox=True\nMedia=9\n"
         "OverrideDefaultMedia=True\n[CustomMedia]\nWidth=612\nHeight=-792\n[DisplaySettings]\n"
         "Resolution=600\nColourDepth=0\nTextAlpha=1\nGraphicsAlpha=4\n",
         0, kChanged},
        {"[Options]\nUnits=4\nOrientation=-1\nSafer=yes\nBoundingBox=1\nOverrideDefaultMedia=true\n"
         "Media=99999\n[CustomMedia]\nWidth=99999999999\n[DisplaySettings]\nResolution=40000\n"
         "ColourDepth=5\nTextAlpha=9999999999999999999999999999999999999999\n",
         0, kFirstStart},
        {"[Options]\nOrientation=&H3\n[DisplaySettings]\nResolution=150 dpi\nTextAlpha=4\n"
         "GraphicsAlpha=\n",
         0,
         {0, 3, true, false, 0, {}, 150, 4, 4, 2, false}},
        {"[DisplaySettings]\nResolution=0\nTextAlpha=3\nGraphicsAlpha=0\n", 0, kFirstStart},
        {"[DisplaySettings]\nResolution=-5\nTextAlpha=-1\nGraphicsAlpha=8\n", 0, kFirstStart}};
    int row = 0;
    for (const auto& [text, defaultMedia, expected] : stores) {
        const QString path = test::writeFile(QStringLiteral("stores/%1.ini").arg(++row), text);
        EXPECT_EQ(readOptions(SettingsStore(path), defaultMedia), expected) << "row " << row;
    }
}

// The display settings dialog takes three digits: a stored resolution above that reads as 999.
TEST(OptionsStore, AStoredResolutionIsKeptToWhatTheDialogTakes) {
    for (const auto& [stored, read] :
         {std::pair{"999", 999}, {"1000", 999}, {"32767", 999}, {"1", 1}, {"40000", 75}}) {
        const QString path = test::writeFile(QStringLiteral("stores/resolution.ini"),
                                             QByteArray("[DisplaySettings]\nResolution=") + stored);
        EXPECT_EQ(readOptions(SettingsStore(path)).resolution, read) << stored;
    }
}

// Two instances on one file, each changing its own options: neither undoes the other, and what
// neither changed stays as the file had it.
TEST(OptionsStore, WritesOnlyWhatChangedSinceItWasRead) {
    const QString path = test::writeFile(QStringLiteral("stores/shared.ini"),
                                         "[DisplaySettings]\nResolution=150 dpi\n");
    SettingsStore first(path), second(path);
    const Options firstRead = readOptions(first), secondRead = readOptions(second);
    Options firstNow = firstRead, secondNow = secondRead;
    firstNow.media = 8, firstNow.safer = false, secondNow.textAlpha = 4;
    writeOptions(secondNow, secondRead, second);
    ASSERT_TRUE(second.sync());
    writeOptions(firstNow, firstRead, first);
    ASSERT_TRUE(first.sync());
    Options both = firstNow;
    both.textAlpha = 4;
    EXPECT_EQ(readOptions(SettingsStore(path)), both);
    const QByteArray text = test::readFile(path);
    EXPECT_TRUE(text.contains("Resolution=150 dpi")) << text.toStdString();
    EXPECT_FALSE(text.contains("Units")) << text.toStdString();
    // Every field changed: each reaches its own value name.
    const QString fresh = test::scratchDir() + QStringLiteral("/stores/fresh.ini");
    SettingsStore store(fresh);
    writeOptions(kChanged, readOptions(store), store);
    ASSERT_TRUE(store.sync());
    EXPECT_EQ(readOptions(SettingsStore(fresh)), kChanged);
}

// The first line that is no comment names the paper; a name the menu lacks, or none, leaves it
// to the locale.
TEST(Paper, TheSystemsPaperOrTheLocalesChoosesTheFirstStartsPaperSize) {
    const QLocale us(QLocale::English, QLocale::UnitedStates), germany(QLocale::German);
    const std::tuple<const char*, QLocale, std::int32_t> cases[] = {
        {"a4\n", us, 2},
        {"# papersize\n\n  Letter  \n", germany, 8},
        {"tabloid", germany, 0},
        {"a3 # big", us, 1},
        {"", us, 8},
        {"", germany, 2},
        {"executive\n", us, 8},
        {"executive\n", germany, 2}};
    for (const auto& [text, locale, media] : cases)
        EXPECT_EQ(defaultMedia(QString::fromUtf8(text), locale), media) << text;
    EXPECT_EQ(mediaSizePoints(2), QSizeF(595, 842));
    EXPECT_EQ(mediaSizePoints(kCustomMedia), QSizeF());
}

// Each exclusive group marks exactly the entry its field stands for; each toggle, its field.
TEST(OptionMenus, ChoosingAnEntrySetsItsFieldAndShowOptionsMarksTheRecord) {
    Options record = kFirstStart;
    OptionsMenus menus(record);
    QMenu optionsMenu, mediaMenu;
    menus.addOptionsEntries(&optionsMenu);
    menus.addMediaEntries(&mediaMenu);
    const auto marksMatchRecord = [&] {
        std::vector<int> marks; // units, orientation, paper size, then the toggles
        for (const QActionGroup* group : menus.findChildren<QActionGroup*>())
            marks.push_back(group->actions().indexOf(group->checkedAction()));
        for (const char* name : {"saferAction", "boundingBoxAction", "overrideMediaAction"})
            marks.push_back(child<QAction>(menus, name)->isChecked());
        return marks == std::vector<int>{record.units,       record.orientation,
                                         record.media,       record.safer,
                                         record.boundingBox, record.overrideDefaultMedia};
    };
    for (const Options& options : {kFirstStart, kChanged, kFirstStart}) {
        record = options;
        menus.showOptions();
        EXPECT_TRUE(record == options && marksMatchRecord()); // marking leaves the record
    }
    // "Letter" chosen twice stays marked; Safer flips off, and on again.
    for (const char* name : {"units3", "orientation2", "media8", "media8", "saferAction"})
        child<QAction>(menus, name)->trigger();
    EXPECT_EQ(record, (Options{3, 2, false, false, 8, {}, 75, 4, 2, 2, false}));
    EXPECT_TRUE(marksMatchRecord());
    child<QAction>(menus, "saferAction")->trigger();
    EXPECT_TRUE(record.safer && marksMatchRecord());
}

// The number rule reads the typed resolution; one below 1 or one that does not fit the field
// keeps the old one.
// What the dialog cannot show (a resolution the zoom reached, values the lists lack) survives OK.
TEST(DisplaySettings, OkReadsTheResolutionByTheNumberRuleAndKeepsWhatItCannotShow) {
    for (const auto& [text, resolution] :
         {std::pair{u"7 2", 72}, {u"2.5", 2}, {u"DPI", 75}, {u"-5", 75}, {u"99999", 75}}) {
        Options record = kFirstStart;
        applyDisplaySettings({QStringView(text).toString(), 3, -1, -1, -1}, record);
        EXPECT_EQ(record.resolution, resolution);
    }
    Options odd = kChanged;
    std::tie(odd.colourDepth, odd.textAlpha, odd.graphicsAlpha) = std::tuple(7, 3, 8);
    for (const Options& options : {kFirstStart, odd}) {
        Options record = options;
        DisplaySettingsDialog(record).accept();
        EXPECT_EQ(record, options);
    }
}

// Edits are stored by list position; a fresh dialog each showing starts from the record.
TEST(DisplaySettingsDialog, ShowsModallyCentredFixedAndAnswersEnterAndEscape) {
    Options record = kFirstStart;
    QPoint offCentre;
    EXPECT_TRUE(showAndAct(record, [&](QDialog& dialog) {
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        offCentre = dialog.frameGeometry().center() - dialog.screen()->availableGeometry().center();
        // A resolution below 1 keeps OK disabled, and Enter does not close the dialog.
        for (const char* text : {"0", "-3", "DPI", ""}) {
            child<QLineEdit>(dialog, "resolutionEdit")->setText(QLatin1String(text));
            EXPECT_FALSE(child(dialog, "okButton")->isEnabled()) << text;
            QTest::keyClick(child(dialog, "resolutionEdit"), Qt::Key_Return);
            EXPECT_TRUE(dialog.isVisible()) << text;
        }
        child<QLineEdit>(dialog, "resolutionEdit")->clear();
        QTest::keyClicks(child(dialog, "resolutionEdit"), QStringLiteral("1200")); // 3 characters
        child<QComboBox>(dialog, "depthCombo")->setCurrentIndex(0); // "Black and White"
        child<QComboBox>(dialog, "textAlphaCombo")->setCurrentIndex(0);
        child<QComboBox>(dialog, "graphicsAlphaCombo")->setCurrentIndex(2);
        QTest::keyClick(child(dialog, "resolutionEdit"), Qt::Key_Return);
    }));
    const Options edited = {0, 0, true, false, 0, {}, 120, 0, 1, 4, false};
    EXPECT_EQ(record, edited);
    EXPECT_LE(offCentre.manhattanLength(), 40);
    EXPECT_FALSE(showAndAct(record, [](QDialog& dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "resolutionEdit")->text(), QStringLiteral("120"));
        child<QLineEdit>(dialog, "resolutionEdit")->setText(QStringLiteral("300"));
        QTest::keyClick(child(dialog, "resolutionEdit"), Qt::Key_Escape);
    }));
    EXPECT_EQ(record, edited);
}
