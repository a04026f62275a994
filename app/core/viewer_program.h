#pragma once

#include <QString>

namespace quillorn::app {

// The viewer's program, which the quillorn command starts in its own place for every use but a
// conversion, --help and --version: beside the command (a build), else in the installation's
// libexec folder.
QString viewerProgramPath(const QString& commandPath);

// Replaces this process with the viewer, with the same arguments; the viewer learns the
// command's own path (for the desktop entries it writes) from QUILLORN_PROGRAM. Returns only
// when the viewer could not be started, with the exit code after saying why on standard error.
int startViewer(char* argv[]);

} // namespace quillorn::app
