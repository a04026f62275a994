#pragma once

#include "viewer/core/document_structure.h"

#include <QDockWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace quillorn::viewer {

// The "Outline" side panel: the document's outline as a tree; a click on an entry asks for its
// page.
class OutlinePanel : public QDockWidget {
    Q_OBJECT
public:
    explicit OutlinePanel(QWidget* parent = nullptr);

    void setOutline(const std::vector<OutlineItem>& outline);
    bool isEmpty() const;
    QTreeWidget* tree() const { return tree_; }

Q_SIGNALS:
    void pageChosen(int page);

private:
    void choose(const QTreeWidgetItem* item);

    QTreeWidget* tree_;
};

} // namespace quillorn::viewer
