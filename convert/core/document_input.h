#pragma once

#include "options/core/options.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace quillorn::convert {

// -dEPSCrop for an EPS picture, so that a conversion crops it to its bounding box as the viewer
// shows it; nothing for other documents.
QStringList documentSwitches(const QString& inputFile);

// The file Ghostscript reads for a conversion's input: the input itself, or for a
// gzip-compressed one a decompressed copy in a private folder that goes when this goes.
class ConversionInput {
public:
    // Throws Failure (FileAccess) when a compressed input cannot be decompressed or is too large.
    explicit ConversionInput(const QString& inputFile);
    const QString& path() const { return path_; }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString path_;
};

} // namespace quillorn::convert
