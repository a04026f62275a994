#include "options/core/options_store.h"
#include "options/modOptions.h"
#include "options/options_menus.h"
#include "tests/options/options_test_util.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::options;

namespace {

// A main window with the program's six top menus; the option entries go in where the main
// window puts them, between entries of its own.
struct MainWindowWithMenus {
    Options record;
    QMainWindow window;
    OptionsMenus* menus = new OptionsMenus(record, &window);
    QMenu* mnuOptions = nullptr;
    QMenu* mnuMedia = nullptr;

    MainWindowWithMenus() {
        QMenuBar* bar = window.menuBar();
        bar->addMenu(QStringLiteral("&File"));
        bar->addMenu(QStringLiteral("&Edit"));
        mnuOptions = bar->addMenu(QStringLiteral("O&ptions"));
        bar->addMenu(QStringLiteral("&View"));
        mnuMedia = bar->addMenu(QStringLiteral("&Media"));
        bar->addMenu(QStringLiteral("&Help"));
        menus->AddOptionsEntries(mnuOptions);
        mnuOptions->addSeparator();
        mnuOptions->addAction(QStringLiteral("&Download RedMon..."));
        mnuMedia->addAction(QStringLiteral("&Display settings..."));
        mnuMedia->addSeparator();
        menus->AddMediaEntries(mnuMedia);
    }
    void Load(const QString& storePath) { LoadOptions(*menus, SettingsStore(storePath)); }
};

QStringList Captions(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

std::vector<int> Marked(const QList<QAction*>& group) {
    std::vector<int> out;
    for (int i = 0; i < group.size(); ++i)
        if (group[i]->isChecked())
            out.push_back(i);
    return out;
}

// Each group marks exactly its field's entry; each toggle's mark equals its field.
void ExpectMarksMatchRecord(const MainWindowWithMenus& w) {
    const Options& o = w.record;
    EXPECT_EQ(Marked(w.menus->mnuOptionsUnitsOpt()), std::vector<int>{o.Units});
    EXPECT_EQ(Marked(w.menus->mnuOrientOpt()), std::vector<int>{o.Orientation});
    EXPECT_EQ(Marked(w.menus->mnuMediaType()), std::vector<int>{o.Media});
    EXPECT_EQ(w.menus->mnuOptionsSafer()->isChecked(), o.Safer);
    EXPECT_EQ(w.menus->mnuOptionsShowBounding()->isChecked(), o.BoundingBox);
    EXPECT_EQ(w.menus->mnuMediaOverride()->isChecked(), o.OverrideDefaultMedia);
}

void Store(const QString& path, std::initializer_list<std::pair<const char*, const char*>> values) {
    SettingsStore store(path);
    for (const auto& [key, text] : values)
        store.SaveSetting(kOptionsSection, QLatin1String(key), QLatin1String(text));
}

} // namespace

TEST(OptionMenus, SitInTheMenuBarWithTheirCaptionsAccessKeysAndIndexes) {
    MainWindowWithMenus w;
    EXPECT_EQ(Captions(w.window.menuBar()->actions()),
              QStringList({"&File", "&Edit", "O&ptions", "&View", "&Media", "&Help"}));
    EXPECT_EQ(Captions(w.mnuOptions->actions()),
              QStringList({"&Units", "&Orientation", "-", "Sa&fer", "Show Bounding Bo&x", "-",
                           "&Download RedMon..."}));
    EXPECT_EQ(w.mnuOptions->actions()[0]->menu(), w.menus->mnuOptionsUnits());
    EXPECT_EQ(w.mnuOptions->actions()[1]->menu(), w.menus->mnuOptionsOrient());
    EXPECT_EQ(Captions(w.menus->mnuOptionsUnits()->actions()),
              QStringList({"&pixels", "&twips", "&mm", "&inch"}));
    EXPECT_EQ(
        Captions(w.menus->mnuOptionsOrient()->actions()),
        QStringList({"&Portrait", "&Landscape", "&Upside-down", "Seascape (opposite landscape)"}));
    EXPECT_EQ(
        Captions(w.mnuMedia->actions()),
        QStringList({"&Display settings...", "-", "11x17", "A3", "A4", "A5", "B4", "B5", "Ledger",
                     "Legal", "Letter", "Custom...", "-", "&Override Default paper size"}));
    EXPECT_EQ(QKeySequence::mnemonic(w.menus->mnuOptionsSafer()->text()),
              QKeySequence(Qt::ALT | Qt::Key_F));
    for (const auto& group :
         {w.menus->mnuOptionsUnitsOpt(), w.menus->mnuOrientOpt(), w.menus->mnuMediaType()})
        for (int i = 0; i < group.size(); ++i)
            EXPECT_EQ(group[i]->data().toInt(), i);
}

TEST(OptionMenus, AnEmptyStoreLoadsTheFirstStartChoicesWith11x17Marked) {
    MainWindowWithMenus w;
    w.Load(test::FreshStorePath("empty"));
    EXPECT_EQ(w.record, test::FirstStartOptions());
    EXPECT_EQ(Marked(w.menus->mnuMediaType()), std::vector<int>{0});
    EXPECT_EQ(w.menus->mnuMediaType()[0]->text(), QStringLiteral("11x17"));
    ExpectMarksMatchRecord(w);
}

TEST(OptionMenus, EveryValueSurvivesSaveAndLoadIntoFreshMenus) {
    const QString path = test::FreshStorePath("roundtrip");
    {
        MainWindowWithMenus w;
        w.Load(path);
        // The six menu-backed values the way the user sets them, the rest directly.
        w.menus->mnuOptionsUnitsOpt()[3]->trigger();
        w.menus->mnuOrientOpt()[2]->trigger();
        w.menus->mnuMediaType()[9]->trigger();
        w.menus->mnuOptionsSafer()->trigger();
        w.menus->mnuOptionsShowBounding()->trigger();
        w.menus->mnuMediaOverride()->trigger();
        const Options changed = test::ChangedOptions();
        w.record.CustomMedia = changed.CustomMedia;
        w.record.Resolution = changed.Resolution;
        w.record.ColourDepth = changed.ColourDepth;
        w.record.TextAlpha = changed.TextAlpha;
        w.record.GraphicsAlpha = changed.GraphicsAlpha;
        ASSERT_EQ(w.record, changed);
        SettingsStore store(path);
        SaveOptions(w.record, store);
    }
    MainWindowWithMenus again;
    again.Load(path);
    EXPECT_EQ(again.record, test::ChangedOptions());
    ExpectMarksMatchRecord(again);
}

TEST(OptionMenus, TogglesLoadTheStoredValueWhateverTheirMarkWas) {
    const QString path = test::FreshStorePath("toggles");
    Store(path, {{"Safer", "False"}, {"BoundingBox", "True"}, {"OverrideDefaultMedia", "True"}});
    for (bool markedBefore : {false, true}) {
        MainWindowWithMenus w;
        for (QAction* toggle : {w.menus->mnuOptionsSafer(), w.menus->mnuOptionsShowBounding(),
                                w.menus->mnuMediaOverride()})
            toggle->setChecked(markedBefore);
        w.Load(path);
        EXPECT_FALSE(w.record.Safer);
        EXPECT_TRUE(w.record.BoundingBox);
        EXPECT_TRUE(w.record.OverrideDefaultMedia);
        ExpectMarksMatchRecord(w);
    }
}

TEST(OptionMenus, StoredTextsOutsideTheirMenusStillLeaveOneMarkPerGroup) {
    const QString path = test::FreshStorePath("bad");
    Store(path, {{"Units", "7"}, {"Orientation", "-2"}, {"Media", "99999"}, {"Safer", "maybe"}});
    MainWindowWithMenus w;
    w.Load(path);
    EXPECT_EQ(w.record, test::FirstStartOptions());
    ExpectMarksMatchRecord(w);
}

TEST(OptionMenus, ChoicesKeepOneMarkPerGroupAndTogglesFlipOnce) {
    MainWindowWithMenus w;
    w.Load(test::FreshStorePath("choices"));
    const auto media = w.menus->mnuMediaType();
    media[8]->trigger(); // "Letter"
    EXPECT_EQ(w.record.Media, 8);
    media[8]->trigger(); // the marked entry again: still marked
    EXPECT_EQ(Marked(media), std::vector<int>{8});
    w.menus->mnuMediaType_Click(9); // "Custom..." asks nothing
    EXPECT_EQ(w.record.Media, 9);
    w.menus->mnuMediaType_Click(10);
    w.menus->mnuOptionsUnitsOpt_Click(-1);
    w.menus->mnuOrientOpt_Click(4);
    EXPECT_EQ(w.record.Media, 9);
    ExpectMarksMatchRecord(w);

    QAction* safer = w.menus->mnuOptionsSafer();
    safer->trigger(); // the menu system's path
    EXPECT_FALSE(w.record.Safer);
    ExpectMarksMatchRecord(w);
    safer->trigger();
    EXPECT_TRUE(w.record.Safer);
    w.menus->mnuMediaOverride_Click(); // the program's own path
    EXPECT_TRUE(w.record.OverrideDefaultMedia);
    w.menus->mnuMediaOverride_Click();
    EXPECT_FALSE(w.record.OverrideDefaultMedia);
    ExpectMarksMatchRecord(w);
}

TEST(OptionMenus, AccessKeysChooseEntriesInTheOpenMenu) {
    MainWindowWithMenus w;
    w.Load(test::FreshStorePath("keys"));
    w.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    w.mnuOptions->popup(w.window.geometry().center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.mnuOptions));
    QTest::keyClick(w.mnuOptions, Qt::Key_X);
    EXPECT_TRUE(w.record.BoundingBox);
    ExpectMarksMatchRecord(w);
}
