#pragma once

#include "app/core/settings_store.h"
#include "options/options_menus.h"

namespace quillorn::options {

// Reads every option from the store into the menus' record. The six menu-backed options go
// through the menu handlers, so marks and fields end up equal; the other six are assigned.
void LoadOptions(OptionsMenus& menus, const SettingsStore& store);

} // namespace quillorn::options
