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

// What a first start reads on a system whose paper is 11x17.
const Options kFirstStart = {.safer = true,
                             .resolution = 75,
                             .colourDepth = ColourDepth::TrueColour,
                             .textAlpha = 2,
                             .graphicsAlpha = 2};
// Every field away from its first-start value.
const Options kChanged = {.units = Units::Inches,
                          .orientation = Orientation::UpsideDown,
                          .safer = false,
                          .boundingBox = true,
                          .media = Paper::Custom,
                          .customMedia = {612, -792},
                          .resolution = 600,
                          .colourDepth = ColourDepth::BlackAndWhite,
                          .textAlpha = 1,
                          .graphicsAlpha = 4,
                          .overrideDefaultMedia = true};

template <typename T = QWidget> T* child(const QObject& parent, const char* name) {
    return parent.findChild<T*>(QLatin1String(name));
}

// Shows the dialog the way the main window does; `user` acts once it is open.
bool showAndAct(Options& record, const std::function<void(QDialog&)>& user) {
    bool acted = false;
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
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
    letter.media = Paper::Letter;
    const auto tabloid = Paper::Tabloid11x17;
    const std::tuple<QByteArray, Paper, Options> stores[] = {
        {"", tabloid, kFirstStart},
        {"", Paper::Letter, letter},
        {"[Options]\nMedia=0\n", Paper::Letter, kFirstStart},
        {"[Options]\nUnits=3\nOrientation=2\nSafer=False\nBoundingBox=True\nMedia=9\n"
         "OverrideDefaultMedia=True\n[CustomMedia]\nWidth=612\nHeight=-792\n[DisplaySettings]\n"
         "Resolution=600\nColourDepth=0\nTextAlpha=1\nGraphicsAlpha=4\n",
         tabloid, kChanged},
        {"[Options]\nUnits=4\nOrientation=-1\nSafer=yes\nBoundingBox=1\nOverrideDefaultMedia=true\n"
         "Media=99999\n[CustomMedia]\nWidth=99999999999\n[DisplaySettings]\nResolution=40000\n"
         "ColourDepth=5\nTextAlpha=9999999999999999999999999999999999999999\n",
         tabloid, kFirstStart},
        {"[Options]\nUnits=-1\nOrientation=4\nMedia=10\n[DisplaySettings]\nColourDepth=-1\n",
         Paper::Letter, letter},
        {"[Options]\nOrientation=&H3\n[DisplaySettings]\nResolution=150 dpi\nTextAlpha=4\n"
         "GraphicsAlpha=\n",
         tabloid,
         {.orientation = Orientation::Seascape,
          .safer = true,
          .resolution = 150,
          .colourDepth = ColourDepth::TrueColour,
          .textAlpha = 4,
          .graphicsAlpha = 2}},
        {"[DisplaySettings]\nResolution=-5\nTextAlpha=3\nGraphicsAlpha=8\n", tabloid, kFirstStart}};
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
    firstNow.media = Paper::Letter, firstNow.safer = false, secondNow.textAlpha = 4;
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
    const std::tuple<const char*, QLocale, Paper> cases[] = {
        {"a4\n", us, Paper::A4},
        {"# papersize\n\n  Letter  \n", germany, Paper::Letter},
        {"tabloid", germany, Paper::Tabloid11x17},
        {"a3 # big", us, Paper::A3},
        {"", us, Paper::Letter},
        {"", germany, Paper::A4},
        {"executive\n", us, Paper::Letter},
        {"executive\n", germany, Paper::A4}};
    for (const auto& [text, locale, media] : cases)
        EXPECT_EQ(defaultMedia(QString::fromUtf8(text), locale), media) << text;
    EXPECT_EQ(mediaSizePoints(Paper::A4), QSizeF(595, 842));
    EXPECT_EQ(mediaSizePoints(Paper::Custom), QSizeF());
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
        return marks == std::vector<int>{static_cast<int>(record.units),
                                         static_cast<int>(record.orientation),
                                         static_cast<int>(record.media),
                                         record.safer,
                                         record.boundingBox,
                                         record.overrideDefaultMedia};
    };
    for (const Options& options : {kFirstStart, kChanged, kFirstStart}) {
        record = options;
        menus.showOptions();
        EXPECT_TRUE(record == options && marksMatchRecord()); // marking leaves the record
    }
    // "Letter" chosen twice stays marked; Safer flips off, and on again.
    for (const char* name : {"units3", "orientation2", "media8", "media8", "saferAction"})
        child<QAction>(menus, name)->trigger();
    Options chosen = kFirstStart;
    chosen.units = Units::Inches, chosen.orientation = Orientation::UpsideDown,
    chosen.media = Paper::Letter, chosen.safer = false;
    EXPECT_EQ(record, chosen);
    EXPECT_TRUE(marksMatchRecord());
    child<QAction>(menus, "saferAction")->trigger();
    EXPECT_TRUE(record.safer && marksMatchRecord());
}

// The number rule reads the typed resolution; one below 1 or one that does not fit the field
// keeps the old one.
// What the dialog cannot show (a resolution the zoom reached, values the lists lack) survives OK.
TEST(DisplaySettings, OkReadsTheResolutionByTheNumberRuleAndKeepsWhatItCannotShow) {
    for (const auto& [text, resolution] : {std::pair{u"7 2", 72}, {u"-5", 75}, {u"99999", 75}}) {
        Options record = kFirstStart;
        applyDisplaySettings({.resolutionText = QStringView(text).toString()}, record);
        EXPECT_EQ(record.resolution, resolution);
    }
    Options odd = kChanged;
    odd.colourDepth = static_cast<ColourDepth>(7), odd.textAlpha = 3, odd.graphicsAlpha = 8;
    for (const Options& options : {kFirstStart, odd}) {
        Options record = options;
        DisplaySettingsDialog(record).accept();
        EXPECT_EQ(record, options);
    }
}

// Edits are stored by list position; a fresh dialog each showing starts from the record.
TEST(DisplaySettingsDialog, ShowsModallyAndAnswersEnterAndEscape) {
    Options record = kFirstStart;
    EXPECT_TRUE(showAndAct(record, [&](QDialog& dialog) {
        // A resolution below 1 keeps OK disabled, and Enter does not close the dialog.
        for (const char* text : {"0", "DPI"}) {
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
    Options edited = kFirstStart;
    edited.resolution = 120, edited.colourDepth = ColourDepth::BlackAndWhite, edited.textAlpha = 1,
    edited.graphicsAlpha = 4;
    EXPECT_EQ(record, edited);
    EXPECT_FALSE(showAndAct(record, [](QDialog& dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "resolutionEdit")->text(), QStringLiteral("120"));
        child<QLineEdit>(dialog, "resolutionEdit")->setText(QStringLiteral("300"));
        QTest::keyClick(child(dialog, "resolutionEdit"), Qt::Key_Escape);
    }));
    EXPECT_EQ(record, edited);
}
