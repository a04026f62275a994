#pragma once

#include <QLocale>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <optional>

namespace quillorn::options {

// The Media entry a paper name stands for, in libpaper's and Ghostscript's names ("a4" is 2,
// "letter" 8, "tabloid" the same as "11x17"), in any case; nothing for a paper the menu lacks.
std::optional<std::int32_t> mediaForPaperName(const QString& name);

// The paper size of a start without a stored choice: the paper the configuration text names
// (libpaper's /etc/papersize: a name on the first line that is not a "#" comment) when the
// Media menu has it, otherwise Letter where the locale measures in US units and A4 elsewhere.
std::int32_t defaultMedia(const QString& paperText, const QLocale& locale);

// The system's paper configuration, as libpaper finds it: $PAPERSIZE, the file $PAPERCONF or
// /etc/papersize; otherwise the C library's LC_PAPER, as "a4" or "letter". Empty when nothing
// says.
QString systemPaperText();

// defaultMedia of this system and its locale.
std::int32_t systemDefaultMedia();

// The page of a Media entry in points, portrait as Ghostscript sizes it; empty for Custom and
// for indexes outside the menu.
QSizeF mediaSizePoints(std::int32_t media);

} // namespace quillorn::options
