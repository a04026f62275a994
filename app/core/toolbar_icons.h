#pragma once

#include <QIcon>
#include <QString>

namespace quillorn::app {

// The desktop theme's icon name for a toolbar picture key ("Open", "Save", "zoomin", ...).
QString themeIconName(const QString& pictureKey);

// A simple picture drawn here, so a bare machine without an icon theme still shows one.
QIcon fallbackToolbarIcon(const QString& pictureKey);

// The theme's icon for the picture key, or the drawn one.
QIcon toolbarIcon(const QString& pictureKey);

} // namespace quillorn::app
