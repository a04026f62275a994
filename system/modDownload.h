#pragma once

#include "app/core/services.h"
#include "system/core/download.h"

class QWidget;

namespace quillorn::system {

// Fetches url into directory/fileName after asking the user, with a progress window.
// "c:\" and "c:" as the directory stand for the user's download directory. True exactly when a
// file exists at directory/fileName afterwards; shows no message box of its own.
bool DownloadFile(const QString& title, const QString& url, const QString& directory,
                  const QString& fileName, WindowServices& services, QWidget* parent = nullptr);

} // namespace quillorn::system
