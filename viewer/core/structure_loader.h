#pragma once

#include "viewer/core/document_structure.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QObject>
#include <memory>

namespace quillorn::viewer {

// Reads a document's structure on a thread of its own, so that a large or hostile file never
// holds the window; the structure of the document last asked for arrives by structureChanged().
class StructureLoader : public QObject {
    Q_OBJECT
public:
    explicit StructureLoader(QObject* parent = nullptr);
    ~StructureLoader() override;

    // Reads the document unless it is the one read or being read, unchanged on the disk.
    void load(const QString& path, const QString& password = {});
    // Forgets the document: the structure is empty.
    void clear();
    const DocumentStructure& structure() const { return structure_; }
    bool isLoading() const { return watcher_ != nullptr; }

Q_SIGNALS:
    void structureChanged();

private:
    struct Key {
        QString path;
        QString password;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const Key&) const = default;
    };

    Key key_;
    DocumentStructure structure_;
    std::unique_ptr<QFutureWatcher<DocumentStructure>> watcher_;
};

} // namespace quillorn::viewer
