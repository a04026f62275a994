#pragma once

#include "options/core/options.h"

#include <QString>
#include <QStringList>

namespace quillorn::options {

// The entries of the colour-depth list; an entry's position is the ColourDepth it stands for.
QStringList colourDepthEntries();
// The entries of the two anti-aliasing lists: "1", "2", "4".
QStringList alphaEntries();

// What the display settings dialog shows for the four display fields.
struct DisplaySettingsView {
    QString resolutionText;
    // Three characters, or more when the resolution itself (one the zoom reached) needs more,
    // so that it is shown whole and survives an OK without changes.
    int resolutionMaxLength = 3;
    // List positions; -1 shows no selection.
    int depthPosition = -1;
    int textAlphaPosition = -1;
    int graphicsAlphaPosition = -1;
};

// The anti-aliasing bits of a list position (1, 2, 4); 0 for a position outside the list.
int alphaBitsAt(int position);
// The list position of an anti-aliasing value (1, 2, 4), -1 for any other value.
int alphaPosition(int alpha);

DisplaySettingsView displaySettingsFromOptions(const Options& options);

// False when the resolution text reads as a whole number below 1 (a text that does not begin
// with a number reads as 0): Ghostscript cannot render at that resolution, and the dialog's OK
// waits for a usable one.
bool resolutionUsable(QStringView text);

// Puts what the dialog holds into the record. The resolution is the whole number read from its
// text; one below 1, or one that does not fit the field, keeps the old value. A list with no
// selection keeps its field.
void applyDisplaySettings(const DisplaySettingsView& view, Options& options);

} // namespace quillorn::options
