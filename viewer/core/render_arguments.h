#pragma once

#include "gs/arguments.h"
#include "options/core/options.h"

#include <QString>

namespace quillorn::viewer {

// The renderer's device for a colour depth: bmpmono, bmpgray, bmp16, bmp256, bmp16m (also for
// any unknown depth).
QString displayDevice(options::ColourDepth colourDepth);

// The dots per inch to render at for a page shown at resolution on a screen with ratio device
// pixels to a logical one, so that the page stays as large and gets sharper (within 1..32767).
int renderResolution(int resolution, double ratio);

// The renderer's arguments for every page of a document, up to the files: start, safer switch,
// device, resolution, anti-aliasing, paper size, fixed media, and for an EPS picture its crop.
gs::Arguments documentArguments(const options::Options& options, bool eps);
// The same for one page: the page range follows.
gs::Arguments renderArguments(const options::Options& options, qint32 page, bool eps = false);

// A render's whole argument list: the switches, the output, a PDF's password, the orientation's
// PostScript (which runs up to the input; page device quarter turns) and the input.
QStringList renderRunArguments(gs::Arguments switches, const QString& output,
                               const QString& password, int orientation, const QString& input);

} // namespace quillorn::viewer
