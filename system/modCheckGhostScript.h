#pragma once

#include "app/core/services.h"
#include "system/core/ghostscript_check.h"

class QWidget;

namespace quillorn::system {

// Start-up's check that the Ghostscript library loads, on the real system: the binding's
// private directory, the usual install directories, the Ghostscript archive's address and the
// user's download directory. May end the program through services.EndProgram.
void CheckGhostscript(WindowServices& services, QWidget* parent = nullptr);

} // namespace quillorn::system
