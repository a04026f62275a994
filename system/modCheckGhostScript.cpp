#include "system/modCheckGhostScript.h"

#include "system/modDownload.h"

namespace quillorn::system {

void CheckGhostscript(WindowServices& services, QWidget* parent) {
    GhostscriptCheckSetup setup = DefaultGhostscriptCheckSetup();
    setup.download = [&services, parent](const QString& title, const QString& url,
                                         const QString& directory, const QString& fileName) {
        return DownloadFile(title, url, directory, fileName, services, parent);
    };
    CheckGhostscript(services, setup);
}

} // namespace quillorn::system
