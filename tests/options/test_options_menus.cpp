#include "options/core/options_store.h"
#include "options/modOptions.h"
#include "options/options_menus.h"
#include "tests/options/options_test_util.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::options;

namespace {

// The Options and Media menus holding the option entries.
struct Menus {
    Options record;
    OptionsMenus menus{record};
    QMenu mnuOptions, mnuMedia;

    Menus() {
        menus.AddOptionsEntries(&mnuOptions);
        menus.AddMediaEntries(&mnuMedia);
    }
    Menus& Load(const QString& storePath) {
        LoadOptions(menus, SettingsStore(storePath));
        return *this;
    }
    // Each group marks exactly its field's entry; each toggle's mark equals its field.
    void ExpectMarksMatchRecord() const {
        const auto marked = [](const QList<QAction*>& group) {
            std::vector<int> out;
            for (int i = 0; i < group.size(); ++i)
                if (group[i]->isChecked())
                    out.push_back(i);
            return out;
        };
        EXPECT_EQ(marked(menus.mnuOptionsUnitsOpt()), std::vector<int>{record.Units});
        EXPECT_EQ(marked(menus.mnuOrientOpt()), std::vector<int>{record.Orientation});
        EXPECT_EQ(marked(menus.mnuMediaType()), std::vector<int>{record.Media});
        EXPECT_EQ(menus.mnuOptionsSafer()->isChecked(), record.Safer);
        EXPECT_EQ(menus.mnuOptionsShowBounding()->isChecked(), record.BoundingBox);
        EXPECT_EQ(menus.mnuMediaOverride()->isChecked(), record.OverrideDefaultMedia);
    }
};

} // namespace

TEST(OptionMenus, EntriesHaveTheirCaptionsAccessKeysAndIndexes) {
    Menus w;
    QStringList captions;
    for (const QMenu* menu :
         {&w.mnuOptions, w.menus.mnuOptionsUnits(), w.menus.mnuOptionsOrient(), &w.mnuMedia}) {
        QStringList entries;
        for (const QAction* a : menu->actions())
            entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
        captions << entries.join(u'|');
    }
    EXPECT_EQ(
        captions,
        QStringList({"&Units|&Orientation|-|Sa&fer|Show Bounding Bo&x", "&pixels|&twips|&mm|&inch",
                     "&Portrait|&Landscape|&Upside-down|Seascape (opposite landscape)",
                     "11x17|A3|A4|A5|B4|B5|Ledger|Legal|Letter|Custom...|-|"
                     "&Override Default paper size"}));
    for (const auto& group :
         {w.menus.mnuOptionsUnitsOpt(), w.menus.mnuOrientOpt(), w.menus.mnuMediaType()})
        for (int i = 0; i < group.size(); ++i)
            EXPECT_EQ(group[i]->data().toInt(), i);
}

// Texts the program never writes load as their defaults, and no group is left without a mark;
// texts that read as a number within the field are taken by the number rule.
TEST(OptionMenus, AnEmptyStoreOrUnwrittenTextsLoadTheFirstStartChoicesWith11x17Marked) {
    const std::pair<QByteArray, Options> stores[] = {
        {{}, test::FirstStartOptions()},
        {"[Options]\nUnits=4\nOrientation=-1\nSafer=yes\nBoundingBox=1\nOverrideDefaultMedia=true\n"
         "Media=99999\n[CustomMedia]\nWidth=99999999999\n[DisplaySettings]\nResolution=40000\n"
         "ColourDepth=5\nTextAlpha=9999999999999999999999999999999999999999\n",
         test::FirstStartOptions()},
        {"[Options]\nOrientation=&H3\n[DisplaySettings]\nResolution=150 dpi\nTextAlpha=3\n"
         "GraphicsAlpha=\n",
         {0, 3, true, false, 0, {}, 150, 4, 3, 0, false}}};
    for (const auto& [text, expected] : stores) {
        const QString path = test::FreshStorePath("odd");
        Menus w;
        EXPECT_EQ(w.Load(text.isEmpty() ? path : test::WriteFile(path, text)).record, expected);
        w.ExpectMarksMatchRecord();
    }
}

TEST(OptionMenus, EveryValueSurvivesSaveAndLoadIntoFreshMenus) {
    const QString path = test::FreshStorePath("roundtrip");
    {
        Menus w;
        w.Load(path);
        // The six menu-backed values the way the user sets them, the rest directly.
        for (QAction* entry : {w.menus.mnuOptionsUnitsOpt()[3], w.menus.mnuOrientOpt()[2],
                               w.menus.mnuMediaType()[9], w.menus.mnuOptionsSafer(),
                               w.menus.mnuOptionsShowBounding(), w.menus.mnuMediaOverride()})
            entry->trigger();
        const Options c = test::ChangedOptions();
        Options& r = w.record;
        std::tie(r.CustomMedia, r.Resolution, r.ColourDepth, r.TextAlpha, r.GraphicsAlpha) =
            std::tie(c.CustomMedia, c.Resolution, c.ColourDepth, c.TextAlpha, c.GraphicsAlpha);
        ASSERT_EQ(w.record, c);
        SettingsStore store(path);
        SaveOptions(w.record, store);
    }
    // All twelve values in the store, as plain texts.
    QSettings raw(path, QSettings::IniFormat);
    QStringList stored;
    for (const QString& key : raw.allKeys())
        stored << key + u'=' + raw.value(key).toString();
    stored.sort();
    EXPECT_EQ(stored,
              QStringList({"CustomMedia/Height=-792", "CustomMedia/Width=612",
                           "DisplaySettings/ColourDepth=0", "DisplaySettings/GraphicsAlpha=4",
                           "DisplaySettings/Resolution=1200", "DisplaySettings/TextAlpha=1",
                           "Options/BoundingBox=True", "Options/Media=9", "Options/Orientation=2",
                           "Options/OverrideDefaultMedia=True", "Options/Safer=False",
                           "Options/Units=3"}));
    Menus again;
    EXPECT_EQ(again.Load(path).record, test::ChangedOptions());
    again.ExpectMarksMatchRecord();
    // The same, read without menus for conversions that run without the main window.
    EXPECT_EQ(ReadStoredOptions(SettingsStore(path)), test::ChangedOptions());
}

TEST(OptionMenus, TogglesLoadTheStoredValueWhateverTheirMarkWas) {
    const QString path =
        test::WriteFile(test::FreshStorePath("toggles"),
                        "[Options]\nSafer=False\nBoundingBox=True\nOverrideDefaultMedia=True\n");
    for (bool markedBefore : {false, true}) {
        Menus w;
        for (QAction* toggle : {w.menus.mnuOptionsSafer(), w.menus.mnuOptionsShowBounding(),
                                w.menus.mnuMediaOverride()})
            toggle->setChecked(markedBefore);
        w.Load(path);
        EXPECT_FALSE(w.record.Safer);
        EXPECT_TRUE(w.record.BoundingBox && w.record.OverrideDefaultMedia);
        w.ExpectMarksMatchRecord();
    }
}

TEST(OptionMenus, EveryGroupKeepsOneMarkAndTogglesFlipOnce) {
    Menus w;
    w.Load(test::FreshStorePath("choices"));
    w.menus.mnuMediaType()[8]->trigger(); // "Letter"
    w.menus.mnuMediaType()[8]->trigger(); // the marked entry again stays marked
    EXPECT_EQ(w.record.Media, 8);
    w.ExpectMarksMatchRecord();
    w.menus.mnuMediaType_Click(9); // "Custom..." asks nothing
    w.menus.mnuMediaType_Click(10);
    w.menus.mnuOptionsUnitsOpt_Click(-1);
    EXPECT_EQ(w.record.Media, 9);
    w.ExpectMarksMatchRecord();

    w.menus.mnuOptionsSafer()->trigger(); // the menu system's path
    EXPECT_FALSE(w.record.Safer);
    w.ExpectMarksMatchRecord();
    w.menus.mnuOptionsSafer()->trigger();
    w.menus.mnuMediaOverride_Click(); // the program's own path
    w.menus.mnuMediaOverride_Click();
    EXPECT_TRUE(w.record.Safer && !w.record.OverrideDefaultMedia);
    w.ExpectMarksMatchRecord();
}
