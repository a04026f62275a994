#pragma once

#include <QByteArrayView>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace quillorn::viewer {

// A stretch of a page's text: from its first character, so many characters.
struct TextRange {
    int start = 0;
    int length = 0;
    bool isEmpty() const { return length <= 0; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// The text of one page as Ghostscript's text device (txtwrite, TextFormat 0) reports it: every
// character with its box, in points from the page's top-left corner as the page is before any
// turn (the picture of a page rendered at 72 dots per inch without orientation). Between
// characters that stand apart the text holds a space, between lines a line break: those have no
// box.
class PageText {
public:
    // What a page may hold at most; a page with more keeps its first characters.
    static constexpr int kMaxCharacters = 1 << 20;

    // Reads one page of txtwrite's output. The output is the document's, so anything is
    // tolerated: what cannot be read is left out.
    static PageText parse(QByteArrayView output);

    const QString& text() const { return text_; }
    bool isEmpty() const { return text_.isEmpty(); }
    // Whether the page holds anything but blanks.
    bool hasText() const;
    // The box of the character at index; an empty box for a space or line break put in.
    QRectF box(int index) const;

    // Every place the needle occurs, in order; blanks in the needle match any run of blanks and
    // line breaks, ligatures match their letters, typographic dashes and quotes the plain ones.
    std::vector<TextRange> find(const QString& needle, Qt::CaseSensitivity cs) const;
    // The boxes of a range, joined along each line.
    std::vector<QRectF> boxes(TextRange range) const;
    // Where a selection starting or ending at a point of the page goes between characters: before
    // or after the character nearest to it; 0 on a page without text.
    int caretAt(QPointF point) const;
    // The text of a range, line breaks kept.
    QString textOf(TextRange range) const;

    // The memory the page takes, about.
    qint64 memoryBytes() const;

private:
    struct Box { // floats: a page's text is many boxes
        float left, top, right, bottom;
    };
    void append(QChar c, const Box& box);
    void buildSearchText();

    QString text_;
    std::vector<Box> boxes_;  // one per character of text_
    QString search_;          // text_ folded for finding: blanks one space, ligatures spelled out
    std::vector<int> origin_; // for each character of search_, its character in text_
};

// Where a page is shown: its picture's size in logical pixels, the resolution it was rendered
// at and Ghostscript's page device Orientation (0 portrait, 1 a quarter turn counter-clockwise,
// 2 upside down, 3 a quarter turn clockwise).
struct PageGeometry {
    QSizeF picture;
    double resolution = 72;
    int orientation = 0;
};

// A box of the page's text in the picture's logical pixels, and back.
QRectF pictureRect(const QRectF& pageBox, const PageGeometry& geometry);
QPointF pagePoint(QPointF picturePoint, const PageGeometry& geometry);

} // namespace quillorn::viewer
