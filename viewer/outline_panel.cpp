#include "viewer/outline_panel.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace quillorn::viewer {

namespace {

void addItems(QTreeWidget* tree, QTreeWidgetItem* parent, const std::vector<OutlineItem>& items) {
    for (const OutlineItem& entry : items) {
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.title);
        item->setToolTip(0, entry.title);
        item->setData(0, Qt::UserRole, entry.page);
        if (entry.page == 0)
            item->setForeground(0, tree->palette().brush(QPalette::Disabled, QPalette::Text));
        addItems(tree, item, entry.children);
    }
}

} // namespace

OutlinePanel::OutlinePanel(QWidget* parent)
    : QDockWidget(tr("Outline"), parent), tree_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("outlinePanel"));
    tree_->setObjectName(QStringLiteral("outlineTree"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->header()->setStretchLastSection(true);
    setWidget(tree_);
    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { choose(item); });
    connect(tree_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { choose(item); });
}

void OutlinePanel::setOutline(const std::vector<OutlineItem>& outline) {
    tree_->clear();
    addItems(tree_, nullptr, outline);
    // The first level opened: the chapters at a glance.
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        tree_->topLevelItem(i)->setExpanded(outline.size() < 30);
}

bool OutlinePanel::isEmpty() const {
    return tree_->topLevelItemCount() == 0;
}

void OutlinePanel::choose(const QTreeWidgetItem* item) {
    const int page = item != nullptr ? item->data(0, Qt::UserRole).toInt() : 0;
    if (page > 0)
        Q_EMIT pageChosen(page);
}

} // namespace quillorn::viewer
