#pragma once

#include <QString>
#include <QStringList>

namespace quillorn::gs {

// The pieces of a Ghostscript argument line that the page renderer and the conversion build
// alike. Each fragment after the start begins with one blank; numbers are plain decimal.

// "gswin32c -dNOPAUSE -dBATCH": the program word and the switches for an unattended run.
QString startFragment();
QString saferFragment(bool safer);
QString deviceFragment(const QString& device);
QString resolutionFragment(int dotsPerInch);
QString alphaFragments(int graphicsAlpha, int textAlpha);
// The paper size of a Media index 0-8 (11x17, A3, A4, A5, B4, B5, Ledger, Legal, Letter); the
// empty text for any other index.
QString paperSizeFragment(int media);
QString fixedMediaFragment(bool fixedMedia);
QString pageRangeFragment(qint32 page);
// " -dEPSCrop" for an EPS picture: the page is its bounding box.
QString epsCropFragment(bool eps);

// Elements that turn every page by an Orientation (0 portrait, 1 landscape: a quarter turn
// counter-clockwise, 2 upside-down, 3 seascape: a quarter turn clockwise), to go just before the
// input file; none for portrait or an unknown orientation.
QStringList orientationArguments(int orientation);

// Splits the line at every blank, then appends the output and input files as whole elements.
// A file name that Ghostscript would read as something else (a switch "-x", an argument file
// "@x", a device "%pipe%x" or a pipe "|x") is passed as "./" and the name, the same file.
QStringList argumentList(const QString& line, const QString& outputPath, const QString& inputPath);

// An output path with every "%" doubled, so Ghostscript writes exactly that file instead of
// reading a page-number placeholder into it.
QString literalOutputPath(const QString& path);

} // namespace quillorn::gs
