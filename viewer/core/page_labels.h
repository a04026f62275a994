#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillorn::viewer {

// How the pages of a labelled range are numbered: a PDF's /S, none for a prefix alone.
enum class LabelStyle {
    None,
    Decimal,      // 1, 2, 3
    UpperRoman,   // I, II, III
    LowerRoman,   // i, ii, iii
    UpperLetters, // A .. Z, AA .. ZZ, AAA
    LowerLetters, // a .. z, aa .. zz, aaa
};

// A run of pages from firstPage (counted from 1) up to the next range: prefix, then the number
// start for its first page in the style.
struct LabelRange {
    int firstPage = 1;
    LabelStyle style = LabelStyle::Decimal;
    QString prefix;
    int start = 1;
};

// The number n written in the style; empty for None or a number below 1.
QString labelNumber(LabelStyle style, int n);

// The names a document gives its pages ("iv", "A-3"), from a PDF's ranges or a PostScript
// document's own list, and the page a name stands for.
class PageLabels {
public:
    PageLabels() = default;
    // Ranges in any order; the first page of a document without a range from page 1 is unnamed.
    static PageLabels fromRanges(std::vector<LabelRange> ranges);
    // Page i + 1 is named labels[i]; an empty name leaves it unnamed.
    static PageLabels fromList(QStringList labels);

    bool isEmpty() const { return ranges_.empty() && list_.isEmpty(); }
    // The page's name; empty when it has none.
    QString label(int page) const;
    // The first page of 1..pageCount named text; nothing when none is. Without a count the last
    // range runs on without end.
    std::optional<int> pageOf(const QString& text, std::optional<int> pageCount = {}) const;

private:
    std::vector<LabelRange> ranges_; // by first page
    QStringList list_;
};

// What the page indicator calls a page: its name when the document gives it one that is not its
// number already, else nothing.
std::optional<QString> distinctLabel(const PageLabels& labels, int page);

// The page an answer to Go To names: a page's label first, else a page number as pageFromAnswer
// reads it.
std::optional<qint32> pageFromLabelOrNumber(const QString& answer, const PageLabels& labels,
                                            std::optional<int> pageCount,
                                            const QLocale& locale = QLocale());

} // namespace quillorn::viewer
