#pragma once

#include "options/core/options.h"

#include <QString>
#include <QStringList>

namespace quillorn {
class WindowServices;
}

namespace quillorn::viewer {

// The pieces of a Ghostscript argument line that the page renderer and the conversion run build
// alike. Each fragment begins with one blank.

// "gswin32c -dNOPAUSE -dBATCH": the program word and the switches for an unattended run.
QString StartFragment();
QString SaferFragment(bool safer);
QString DeviceFragment(const QString& device);
// Plain decimal, sign only when negative.
QString ResolutionFragment(int dotsPerInch);
QString AlphaFragments(int graphicsAlpha, int textAlpha);
// The paper size of a Media index. Index 9 (custom) adds nothing after showing
// customMessage in an OK box; any other unknown index adds nothing.
QString PaperSizeFragment(int media, WindowServices& services, const QString& customMessage);
QString FixedMediaFragment(bool overrideDefaultMedia);
QString PageRangeFragment(qint32 page);

// The renderer's device for a colour depth (bmp16m for any unknown depth).
QString DisplayDevice(int colourDepth);

// Splits the line at every blank, then appends the output and input files as whole elements.
// A file name that Ghostscript would read as something else (a switch "-x", an argument file
// "@x", a device "%pipe%x" or a pipe "|x") is passed as "./" and the name, the same file.
QStringList ArgumentList(const QString& line, const QString& outputPath, const QString& inputPath);

// An output path with every "%" doubled, so Ghostscript writes exactly that file instead of
// reading a page-number placeholder into it.
QString LiteralOutputPath(const QString& path);

// The renderer's whole argument line (fragments 1 to 8) for one page.
QString RenderArgumentLine(const options::Options& options, qint32 page, WindowServices& services);

} // namespace quillorn::viewer
