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
    void Load(const QString& storePath) { LoadOptions(menus, SettingsStore(storePath)); }

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

QStringList Captions(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// A store holding the given "Section/Value" texts.
QString StoreWith(const char* name, std::initializer_list<std::pair<const char*, QString>> values) {
    const QString path = test::FreshStorePath(name);
    SettingsStore store(path);
    for (const auto& [key, text] : values) {
        const QStringList parts = QString::fromLatin1(key).split(u'/');
        store.SaveSetting(parts[0], parts[1], text);
    }
    return path;
}

} // namespace

TEST(OptionMenus, EntriesHaveTheirCaptionsAccessKeysAndIndexes) {
    Menus w;
    EXPECT_EQ(Captions(w.mnuOptions.actions()),
              QStringList({"&Units", "&Orientation", "-", "Sa&fer", "Show Bounding Bo&x"}));
    EXPECT_EQ(Captions(w.menus.mnuOptionsUnits()->actions()),
              QStringList({"&pixels", "&twips", "&mm", "&inch"}));
    EXPECT_EQ(
        Captions(w.menus.mnuOptionsOrient()->actions()),
        QStringList({"&Portrait", "&Landscape", "&Upside-down", "Seascape (opposite landscape)"}));
    EXPECT_EQ(Captions(w.mnuMedia.actions()),
              QStringList({"11x17", "A3", "A4", "A5", "B4", "B5", "Ledger", "Legal", "Letter",
                           "Custom...", "-", "&Override Default paper size"}));
    for (const auto& group :
         {w.menus.mnuOptionsUnitsOpt(), w.menus.mnuOrientOpt(), w.menus.mnuMediaType()})
        for (int i = 0; i < group.size(); ++i)
            EXPECT_EQ(group[i]->data().toInt(), i);
}

TEST(OptionMenus, AnEmptyStoreLoadsTheFirstStartChoicesWith11x17Marked) {
    Menus w;
    w.Load(test::FreshStorePath("empty"));
    EXPECT_EQ(w.record, test::FirstStartOptions());
    EXPECT_TRUE(w.menus.mnuMediaType()[0]->isChecked());
    w.ExpectMarksMatchRecord();
}

TEST(OptionMenus, EveryValueSurvivesSaveAndLoadIntoFreshMenus) {
    const QString path = test::FreshStorePath("roundtrip");
    {
        Menus w;
        w.Load(path);
        // The six menu-backed values the way the user sets them, the rest directly.
        w.menus.mnuOptionsUnitsOpt()[3]->trigger();
        w.menus.mnuOrientOpt()[2]->trigger();
        w.menus.mnuMediaType()[9]->trigger();
        w.menus.mnuOptionsSafer()->trigger();
        w.menus.mnuOptionsShowBounding()->trigger();
        w.menus.mnuMediaOverride()->trigger();
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
    again.Load(path);
    EXPECT_EQ(again.record, test::ChangedOptions());
    again.ExpectMarksMatchRecord();
    // The same, read without menus for conversions that run without the main window.
    EXPECT_EQ(ReadStoredOptions(SettingsStore(path)), test::ChangedOptions());
}

TEST(OptionMenus, TogglesLoadTheStoredValueWhateverTheirMarkWas) {
    const QString path = StoreWith("toggles", {{"Options/Safer", "False"},
                                               {"Options/BoundingBox", "True"},
                                               {"Options/OverrideDefaultMedia", "True"}});
    for (bool markedBefore : {false, true}) {
        Menus w;
        for (QAction* toggle : {w.menus.mnuOptionsSafer(), w.menus.mnuOptionsShowBounding(),
                                w.menus.mnuMediaOverride()})
            toggle->setChecked(markedBefore);
        w.Load(path);
        EXPECT_FALSE(w.record.Safer);
        EXPECT_TRUE(w.record.BoundingBox);
        EXPECT_TRUE(w.record.OverrideDefaultMedia);
        w.ExpectMarksMatchRecord();
    }
}

// Texts the program never writes load as their defaults, and no group is left without a mark.
TEST(OptionMenus, StoredTextsOutsideTheirFieldsLoadTheirDefaults) {
    Menus w;
    const QString nines(500, u'9');
    w.Load(StoreWith("odd", {{"Options/Units", "4"},
                             {"Options/Orientation", "-1"},
                             {"Options/Safer", "yes"},
                             {"Options/BoundingBox", "1"},
                             {"Options/OverrideDefaultMedia", "true"},
                             {"Options/Media", "99999"},
                             {"CustomMedia/Width", "99999999999"},
                             {"DisplaySettings/Resolution", "40000"},
                             {"DisplaySettings/ColourDepth", "5"},
                             {"DisplaySettings/TextAlpha", nines}}));
    EXPECT_EQ(w.record, test::FirstStartOptions());
    w.ExpectMarksMatchRecord();
    // Texts that read as a number within the field are taken by the number rule.
    Menus again;
    again.Load(StoreWith("numbers", {{"Options/Orientation", "&H3"},
                                     {"DisplaySettings/Resolution", "150 dpi"},
                                     {"DisplaySettings/TextAlpha", "3"},
                                     {"DisplaySettings/GraphicsAlpha", ""}}));
    EXPECT_EQ(again.record.Orientation, 3);
    EXPECT_EQ(again.record.Resolution, 150);
    EXPECT_EQ(again.record.TextAlpha, 3); // the display settings dialog shows it as it is
    EXPECT_EQ(again.record.GraphicsAlpha, 0);
}

TEST(OptionMenus, EveryGroupKeepsOneMarkAndTogglesFlipOnce) {
    Menus w;
    w.Load(test::FreshStorePath("choices"));
    w.menus.mnuMediaType()[8]->trigger(); // "Letter"
    EXPECT_EQ(w.record.Media, 8);
    w.menus.mnuMediaType()[8]->trigger(); // the marked entry again stays marked
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
    EXPECT_TRUE(w.record.Safer);
    w.menus.mnuMediaOverride_Click(); // the program's own path
    w.menus.mnuMediaOverride_Click();
    EXPECT_FALSE(w.record.OverrideDefaultMedia);
    w.ExpectMarksMatchRecord();
}
