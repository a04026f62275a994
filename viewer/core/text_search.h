#pragma once

#include "viewer/core/page_text.h"

#include <QObject>
#include <QString>
#include <vector>

namespace quillorn::viewer {

class DocumentText;

// One place a search found: a page and the stretch of its text.
struct TextHit {
    int page = 0;
    TextRange range;
    friend bool operator==(const TextHit&, const TextHit&) = default;
};

// A search of a document's text as it is being read: the hits of every page read so far, in the
// document's order, and the one the user is at. The first hit to show is the first at or after
// the page the user was on, else the first of all once every page was read.
class TextSearch : public QObject {
    Q_OBJECT
public:
    explicit TextSearch(DocumentText& text, QObject* parent = nullptr);

    // Searches anew; the empty text ends the search. Reading the pages starts if need be.
    void setQuery(const QString& text, Qt::CaseSensitivity cs = Qt::CaseInsensitive);
    const QString& query() const { return query_; }
    // The page the user is on: the first hit is looked for from there.
    void setStartPage(int page) { startPage_ = page; }

    const std::vector<TextHit>& hits() const { return hits_; }
    // The hit the user is at; -1 for none.
    int current() const { return current_; }
    // The hits on a page.
    std::vector<TextRange> hitsOn(int page) const;

    // The next or previous hit, round the document's end.
    void next();
    void previous();

Q_SIGNALS:
    // Hits were found, or the search was ended or made anew.
    void hitsChanged();
    // The user is at another hit: it is to be shown.
    void currentChanged();

private:
    void searchPage(int page);
    void pickFirst();

    DocumentText& text_;
    QString query_;
    Qt::CaseSensitivity cs_ = Qt::CaseInsensitive;
    int startPage_ = 1;
    std::vector<TextHit> hits_;
    int current_ = -1;
};

} // namespace quillorn::viewer
