#include "viewer/find_bar.h"

#include "viewer/core/document_text.h"
#include "viewer/core/text_search.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>

namespace quillorn::viewer {

FindBar::FindBar(DocumentText& text, TextSearch& search, QWidget* parent)
    : QWidget(parent), text_(text), search_(search), edit_(new QLineEdit(this)),
      caseBox_(new QCheckBox(tr("Match &case"), this)), previous_(new QToolButton(this)),
      next_(new QToolButton(this)), status_(new QLabel(this)), progress_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("findBar"));
    edit_->setObjectName(QStringLiteral("findEdit"));
    caseBox_->setObjectName(QStringLiteral("findCaseBox"));
    status_->setObjectName(QStringLiteral("findStatus"));
    progress_->setObjectName(QStringLiteral("findProgress"));
    edit_->setPlaceholderText(tr("Find in the document"));
    edit_->setClearButtonEnabled(true);
    previous_->setArrowType(Qt::UpArrow);
    previous_->setToolTip(tr("Previous (Shift+F3)"));
    next_->setArrowType(Qt::DownArrow);
    next_->setToolTip(tr("Next (F3)"));
    auto* closeButton = new QToolButton(this);
    closeButton->setText(QStringLiteral("\u00d7"));
    closeButton->setToolTip(tr("Close (Escape)"));
    closeButton->setAutoRaise(true);
    progress_->setTextVisible(true);
    progress_->setFormat(tr("%v of %m pages read"));
    progress_->setMaximumWidth(220);
    progress_->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(new QLabel(tr("Find:"), this));
    layout->addWidget(edit_, 1);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(caseBox_);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addStretch();
    layout->addWidget(closeButton);

    edit_->installEventFilter(this);
    caseBox_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, &FindBar::search);
    connect(caseBox_, &QCheckBox::toggled, this, &FindBar::search);
    connect(previous_, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(next_, &QToolButton::clicked, this, &FindBar::findNext);
    connect(closeButton, &QToolButton::clicked, this, &FindBar::close);
    connect(&search_, &TextSearch::hitsChanged, this, &FindBar::updateStatus);
    connect(&search_, &TextSearch::currentChanged, this, &FindBar::updateStatus);
    connect(&text_, &DocumentText::pageRead, this, &FindBar::updateStatus);
    connect(&text_, &DocumentText::completed, this, &FindBar::updateStatus);
    connect(&text_, &DocumentText::cleared, this, [this] {
        // The file changed: its new text is searched for what the bar holds.
        if (isVisible())
            this->search();
    });
    hide();
}

void FindBar::open() {
    show();
    edit_->setFocus();
    edit_->selectAll();
    text_.read(); // the pages are read while the user types
    search();
}

void FindBar::close() {
    hide();
    search_.setQuery(QString());
    Q_EMIT closed();
}

void FindBar::findNext() {
    if (isHidden() || search_.query().isEmpty()) {
        open();
        return;
    }
    search_.next();
}

void FindBar::findPrevious() {
    if (isHidden() || search_.query().isEmpty()) {
        open();
        return;
    }
    search_.previous();
}

void FindBar::search() {
    search_.setQuery(edit_->text(),
                     caseBox_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    updateStatus();
}

QString FindBar::statusText() const {
    return status_->text();
}

void FindBar::updateStatus() {
    const bool reading = !text_.isComplete() && text_.isReading();
    const int pages = text_.pageCount();
    progress_->setVisible(reading && pages > 0);
    if (reading && pages > 0) {
        progress_->setMaximum(pages);
        progress_->setValue(text_.pagesRead());
    }
    const std::size_t hits = search_.hits().size();
    QString status;
    if (text_.isComplete() && !text_.hasText())
        status = tr("This document has no searchable text");
    else if (search_.current() >= 0)
        status = tr("%1 of %2").arg(search_.current() + 1).arg(hits);
    else if (hits > 0)
        status = tr("Matches: %1").arg(hits);
    else if (!search_.query().isEmpty() && text_.isComplete())
        status = tr("No matches");
    status_->setText(status);
    previous_->setEnabled(hits > 0);
    next_->setEnabled(hits > 0);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ && watched != caseBox_)
        return QWidget::eventFilter(watched, event);
    const bool override = event->type() == QEvent::ShortcutOverride;
    if (!override && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // Escape here closes the bar, not the window's Stop.
    if (key->key() != Qt::Key_Escape && !enter)
        return QWidget::eventFilter(watched, event);
    if (override) {
        event->accept();
        return true;
    }
    if (key->key() == Qt::Key_Escape)
        close();
    else if (key->modifiers() & Qt::ShiftModifier)
        findPrevious();
    else
        findNext();
    return true;
}

} // namespace quillorn::viewer
