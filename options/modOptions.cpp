#include "options/modOptions.h"

#include "options/core/options_store.h"

#include <QAction>

namespace quillorn::options {

namespace {

// Presets the mark to the opposite of the stored value, so that the toggle handler, which
// copies the mark into the field, leaves both at the stored value.
void LoadToggle(QAction* entry, bool stored, OptionsMenus& menus, void (OptionsMenus::*handler)()) {
    entry->setChecked(!stored);
    (menus.*handler)();
}

} // namespace

void LoadOptions(OptionsMenus& menus, const SettingsStore& store) {
    menus.mnuOptionsUnitsOpt_Click(StoredUnits(store));
    menus.mnuOrientOpt_Click(StoredOrientation(store));
    LoadToggle(menus.mnuOptionsSafer(), StoredSafer(store), menus,
               &OptionsMenus::mnuOptionsSafer_Click);
    LoadToggle(menus.mnuMediaOverride(), StoredOverrideDefaultMedia(store), menus,
               &OptionsMenus::mnuMediaOverride_Click);
    LoadToggle(menus.mnuOptionsShowBounding(), StoredBoundingBox(store), menus,
               &OptionsMenus::mnuOptionsShowBounding_Click);
    menus.mnuMediaType_Click(StoredMedia(store));

    ReadUnmenuedOptions(menus.Record(), store);
}

} // namespace quillorn::options
