#include "system/modDownload.h"

#include "system/frmDownload.h"

namespace quillorn::system {

bool DownloadFile(const QString& title, const QString& url, const QString& directory,
                  const QString& fileName, WindowServices& services, QWidget* parent) {
    frmDownload dialog(parent);
    return DownloadFile(title, url, directory, fileName, services,
                        static_cast<DownloadView&>(dialog));
}

} // namespace quillorn::system
