#pragma once

#include "options/core/options.h"

#include <QLocale>
#include <QSizeF>
#include <QString>
#include <optional>

namespace quillorn::options {

// What a render or a conversion says once when the paper chosen is Custom.
inline const QString kCustomPaperNotDone = QStringLiteral("Custom paper sizes not done yet");

// The Media entry a paper name stands for, in libpaper's and Ghostscript's names ("tabloid" the
// same as "11x17"), in any case; nothing for a paper the menu lacks.
std::optional<Paper> mediaForPaperName(const QString& name);

// The paper size of a start without a stored choice: the paper the configuration text names
// (libpaper's /etc/papersize: a name on the first line that is not a "#" comment) when the
// Media menu has it, otherwise Letter where the locale measures in US units and A4 elsewhere.
Paper defaultMedia(const QString& paperText, const QLocale& locale);

// The system's paper configuration, as libpaper finds it: $PAPERSIZE, the file $PAPERCONF or
// /etc/papersize; otherwise the C library's LC_PAPER, as "a4" or "letter". Empty when nothing
// says.
QString systemPaperText();

// defaultMedia of this system and its locale.
Paper systemDefaultMedia();

// The name Ghostscript knows a Media entry by ("a4", "11x17"); empty for Custom and for numbers
// outside the menu.
QString paperName(Paper media);

// The page of a Media entry in points, portrait as Ghostscript sizes it; empty for Custom and
// for numbers outside the menu.
QSizeF mediaSizePoints(Paper media);

} // namespace quillorn::options
