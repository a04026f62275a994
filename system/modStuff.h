#pragma once

#include "app/core/services.h"
#include "system/core/association.h"

namespace quillorn::system {

// Start-up's offer to associate PostScript files with the running program, in the user's
// applications directory.
void CheckAssociation(WindowServices& services);
// Registers the running program for PostScript files and makes it their default.
void AssociateFiles(WindowServices& services);

} // namespace quillorn::system
