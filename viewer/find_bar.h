#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QToolButton;

namespace quillorn::viewer {

class DocumentText;
class TextSearch;

// The find bar under the page: the whole document is searched as the user types, without regard
// to case unless asked; Enter and Shift+Enter (and F3, Shift+F3 from anywhere) go to the next and
// previous hit, "3 of 41" tells where the user is, a bar how many pages are read so far.
// Escape in the bar closes it.
class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(DocumentText& text, TextSearch& search, QWidget* parent = nullptr);

    // Shows the bar with its text selected, and searches it again.
    void open();
    void close();
    // The next and previous hit; the bar opens first when it is closed or has nothing to find.
    void findNext();
    void findPrevious();

    // What the bar says about the search.
    QString statusText() const;

Q_SIGNALS:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void updateStatus();

    DocumentText& text_;
    TextSearch& search_;
    QLineEdit* edit_;
    QCheckBox* caseBox_;
    QToolButton* previous_;
    QToolButton* next_;
    QLabel* status_;
    QProgressBar* progress_;
};

} // namespace quillorn::viewer
