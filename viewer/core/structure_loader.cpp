#include "viewer/core/structure_loader.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace quillorn::viewer {

StructureLoader::StructureLoader(QObject* parent) : QObject(parent) {}

// A read still running finishes on its own; what it finds goes nowhere.
StructureLoader::~StructureLoader() = default;

void StructureLoader::load(const QString& path, const QString& password) {
    const QFileInfo file(path);
    Key key{path, password, file.lastModified(), file.size()};
    if (key == key_)
        return;
    clear();
    key_ = std::move(key);
    watcher_ = std::make_unique<QFutureWatcher<DocumentStructure>>();
    QFutureWatcher<DocumentStructure>* watcher = watcher_.get();
    connect(watcher, &QFutureWatcher<DocumentStructure>::finished, this, [this, watcher] {
        if (watcher != watcher_.get())
            return;
        structure_ = watcher->result();
        watcher_.release()->deleteLater();
        Q_EMIT structureChanged();
    });
    watcher->setFuture(QtConcurrent::run(readDocumentStructure, path, password));
}

void StructureLoader::clear() {
    const bool had = !structure_.outline.empty() || !structure_.labels.isEmpty() ||
                     !structure_.links.empty() || !structure_.properties.format.isEmpty();
    key_ = {};
    if (watcher_)
        watcher_.release()->deleteLater(); // its result is no longer wanted
    structure_ = {};
    if (had)
        Q_EMIT structureChanged();
}

} // namespace quillorn::viewer
