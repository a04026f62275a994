#pragma once

#include <QString>
#include <QStringList>

namespace quillorn::gs {

// A Ghostscript argument vector, built element by element: what is appended stays one element,
// blanks and all, so a path or a value is never taken apart.
class Arguments {
public:
    // The program's name alone: argv[0], which Ghostscript skips.
    Arguments();

    Arguments& operator<<(const QString& element);
    // Each one whole; nothing for an empty list.
    Arguments& operator<<(const QStringList& elements);

    const QStringList& list() const { return elements_; }
    friend bool operator==(const Arguments&, const Arguments&) = default;

private:
    QStringList elements_;
};

// The elements that the page renderer and the conversion build alike; numbers are plain decimal.
// A switch that has nothing to say is no element at all.

// -dNOPAUSE -dBATCH: a run nobody answers, that ends after its files.
QStringList unattendedSwitches();
QString saferSwitch(bool safer);
QString deviceSwitch(const QString& device);
QString resolutionSwitch(int dotsPerInch);
// Anti-aliasing of graphics, then of text. Ghostscript takes 1, 2 or 4 bits; for any other
// number the switch is left out.
QStringList alphaSwitches(int graphicsBits, int textBits);
// The paper Ghostscript knows by that name ("a4"); none for the empty name.
QStringList paperSizeSwitch(const QString& name);
QStringList fixedMediaSwitch(bool fixedMedia);
QStringList pageRangeSwitches(qint32 page);
// -dEPSCrop for an EPS picture: the page is its bounding box.
QStringList epsCropSwitch(bool eps);

// Elements that turn every page by Ghostscript's page device Orientation (1 landscape: a quarter
// turn counter-clockwise, 2 upside-down, 3 seascape: a quarter turn clockwise), to go just before
// the input file; none for portrait (0) or any other number.
QStringList orientationArguments(int orientation);

// The output and input files, each one element. A file name that Ghostscript would read as
// something else (a switch "-x", an argument file "@x", a device "%pipe%x" or a pipe "|x") is
// passed as "./" and the name, the same file. The input is passed as an absolute name, which
// Ghostscript never looks up in its library folders.
QString outputFileSwitch(const QString& path);
QString inputFileArgument(const QString& path);

// Text that stands for itself in an output name: every "%" doubled, so Ghostscript writes exactly
// that file instead of reading a page-number placeholder into it.
QString literalOutputPath(const QString& path);

} // namespace quillorn::gs
