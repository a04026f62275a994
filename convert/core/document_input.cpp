#include "convert/core/document_input.h"

#include "base/failure.h"
#include "base/temp_files.h"
#include "convert/core/formats.h"
#include "gs/arguments.h"
#include "gs/document_info.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace quillorn::convert {

QStringList documentSwitches(const QString& inputFile) {
    return gs::epsCropSwitch(gs::isEps(inputFile));
}

ConversionInput::ConversionInput(const QString& inputFile) : path_(inputFile) {
    if (!gs::isGzip(inputFile))
        return;
    folder_ = makePrivateFolder(QStringLiteral("KMW"));
    if (!folder_)
        throw noTemporaryFolder();
    // The copy keeps the name without ".gz", so an EPS stays recognisable by it.
    QString name = QFileInfo(inputFile).fileName();
    if (name.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive))
        name.chop(3);
    path_ = folder_->filePath(name.isEmpty() ? QStringLiteral("document") : name);
    gs::decompressGzip(inputFile, path_);
}

} // namespace quillorn::convert
