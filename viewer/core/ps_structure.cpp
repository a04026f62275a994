#include "viewer/core/ps_structure.h"

#include "gs/document_info.h"

#include <QByteArrayView>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <map>

namespace quillorn::viewer {

namespace {

// How far before its "pdfmark" a mark's opening bracket is looked for.
constexpr qsizetype kMarkReach = 8192;
// How many opening brackets before it are tried.
constexpr int kMarkTries = 16;
constexpr int kOutlineDepth = 64;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}
bool isDelimiter(char c) {
    return isBlank(c) || QByteArrayView("()<>[]{}/%").contains(c);
}

// One PostScript token of a mark.
struct Token {
    enum Kind { Name, String, Word, Open, Close, DictOpen, DictClose, Other } kind = Other;
    QByteArray value; // a name without its slash, a string's bytes, a word
};

// Reads PostScript tokens from text[pos] up to end.
class Tokens {
public:
    Tokens(QByteArrayView text, qsizetype pos, qsizetype end) : text_(text), pos_(pos), end_(end) {}

    std::optional<Token> next() {
        while (pos_ < end_) {
            if (isBlank(text_[pos_])) {
                ++pos_;
            } else if (text_[pos_] == '%') {
                while (pos_ < end_ && text_[pos_] != '\n' && text_[pos_] != '\r')
                    ++pos_;
            } else {
                break;
            }
        }
        if (pos_ >= end_)
            return std::nullopt;
        const char c = text_[pos_++];
        switch (c) {
        case '[':
            return Token{Token::Open, {}};
        case ']':
            return Token{Token::Close, {}};
        case '(':
            return literal();
        case '<':
            if (pos_ < end_ && text_[pos_] == '<') {
                ++pos_;
                return Token{Token::DictOpen, {}};
            }
            return hex();
        case '>':
            if (pos_ < end_ && text_[pos_] == '>') {
                ++pos_;
                return Token{Token::DictClose, {}};
            }
            return Token{};
        case '/':
            return Token{Token::Name, word()};
        default:
            if (isDelimiter(c))
                return Token{};
            --pos_;
            return Token{Token::Word, word()};
        }
    }

private:
    QByteArray word() {
        const qsizetype from = pos_;
        while (pos_ < end_ && !isDelimiter(text_[pos_]))
            ++pos_;
        return text_.sliced(from, pos_ - from).toByteArray();
    }

    std::optional<Token> literal() {
        QByteArray bytes;
        int depth = 1;
        while (pos_ < end_) {
            char c = text_[pos_++];
            if (c == '\\' && pos_ < end_) {
                c = text_[pos_++];
                static const QByteArrayView kEscapes("n\nr\rt\tb\bf\f");
                const qsizetype escape = kEscapes.indexOf(c);
                if (escape >= 0 && escape % 2 == 0) {
                    bytes += kEscapes[escape + 1];
                } else if (c >= '0' && c <= '7') {
                    int code = c - '0';
                    for (int i = 0;
                         i < 2 && pos_ < end_ && text_[pos_] >= '0' && text_[pos_] <= '7'; ++i)
                        code = code * 8 + (text_[pos_++] - '0');
                    bytes += static_cast<char>(code & 0xff);
                } else if (c == '\r' || c == '\n') {
                    if (c == '\r' && pos_ < end_ && text_[pos_] == '\n')
                        ++pos_; // a line continued
                } else {
                    bytes += c;
                }
                continue;
            }
            if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0)
                return Token{Token::String, bytes};
            bytes += c;
        }
        return std::nullopt;
    }

    std::optional<Token> hex() {
        QByteArray digits;
        while (pos_ < end_ && text_[pos_] != '>') {
            const char c = text_[pos_++];
            if (!isBlank(c))
                digits += c;
        }
        if (pos_ >= end_)
            return std::nullopt;
        ++pos_;
        return Token{Token::String, QByteArray::fromHex(digits)};
    }

    QByteArrayView text_;
    qsizetype pos_;
    qsizetype end_;
};

// A pdfmark's keys and what they hold (strings and words as they are, names without slashes,
// arrays and dictionaries as nothing), and its kind: "OUT", "DEST", ...
struct Mark {
    QByteArray kind;
    std::map<QByteArray, QByteArray> values;
};

// The mark whose tokens run from just after an opening bracket at from to end, where "pdfmark"
// stands: /key value pairs (a value may be followed by operators such as cvn), then the kind.
std::optional<Mark> markFrom(QByteArrayView text, qsizetype from, qsizetype end) {
    Tokens tokens(text, from, end);
    Mark mark;
    for (;;) {
        std::optional<Token> key = tokens.next();
        if (!key || key->kind != Token::Name)
            return std::nullopt;
        std::optional<Token> value = tokens.next();
        if (!value) { // the key was the mark's kind
            if (key->value.isEmpty())
                return std::nullopt;
            mark.kind = key->value;
            return mark;
        }
        if (value->kind == Token::Open || value->kind == Token::DictOpen) {
            // A nested array or dictionary: passed over.
            int depth = 1;
            while (depth > 0) {
                const std::optional<Token> inner = tokens.next();
                if (!inner)
                    return std::nullopt;
                if (inner->kind == Token::Open || inner->kind == Token::DictOpen)
                    ++depth;
                else if (inner->kind == Token::Close || inner->kind == Token::DictClose)
                    --depth;
            }
            value->value.clear();
        } else if (value->kind != Token::Name && value->kind != Token::String &&
                   value->kind != Token::Word) {
            return std::nullopt;
        }
        mark.values[key->value] = value->value;
        // Operators after a value ("(name) cvn") until the next key.
        Tokens ahead = tokens;
        for (std::optional<Token> t = ahead.next();
             t && t->kind == Token::Word && !t->value.isEmpty() &&
             std::isalpha(static_cast<unsigned char>(t->value[0]));
             t = ahead.next())
            tokens = ahead;
    }
}

// The mark that ends with the "pdfmark" at pos: its opening bracket is the nearest one before it
// from which the tokens read as a mark.
std::optional<Mark> markBefore(QByteArrayView text, qsizetype pos) {
    const qsizetype stop = std::max<qsizetype>(0, pos - kMarkReach);
    int tries = 0;
    for (qsizetype at = pos - 1; at >= stop && tries < kMarkTries; --at) {
        if (text[at] != '[')
            continue;
        ++tries;
        if (std::optional<Mark> mark = markFrom(text, at + 1, pos))
            return mark;
    }
    return std::nullopt;
}

struct OutlineEntry {
    QString title;
    int page = 0;
    QByteArray dest;
    int count = 0;
};

// Entries from index on, as many as count says at this level; each takes the children its own
// count names.
std::vector<OutlineItem> outlineTree(const std::vector<OutlineEntry>& entries, std::size_t& index,
                                     std::size_t count, int depth,
                                     const std::map<QByteArray, int>& dests) {
    std::vector<OutlineItem> items;
    while (index < entries.size() && items.size() < count) {
        const OutlineEntry& entry = entries[index++];
        OutlineItem item{entry.title, entry.page, {}};
        if (item.page == 0 && !entry.dest.isEmpty()) {
            const auto found = dests.find(entry.dest);
            item.page = found == dests.end() ? 0 : found->second;
        }
        if (entry.count != 0 && depth < kOutlineDepth)
            item.children = outlineTree(
                entries, index, static_cast<std::size_t>(std::abs(entry.count)), depth + 1, dests);
        items.push_back(std::move(item));
    }
    return items;
}

// A comment's value with parentheses around it taken off.
QString commentValue(QByteArrayView value) {
    QByteArrayView v = value.trimmed();
    if (v.size() >= 2 && v.front() == '(' && v.back() == ')')
        v = v.sliced(1, v.size() - 2);
    return QString::fromLatin1(v.toByteArray()).trimmed();
}

bool isComment(QByteArrayView line, QByteArrayView keyword) {
    return line.startsWith(keyword) &&
           (keyword.endsWith(':') || line.size() == keyword.size() ||
            isBlank(line[keyword.size()]) || line[keyword.size()] == ':');
}

// Everything read off the document's own lines, in one pass.
class Scan {
public:
    explicit Scan(const QByteArray& text) : text_(text) {}

    DocumentStructure run() {
        qsizetype firstEnd = 0;
        while (firstEnd < text_.size() && text_[firstEnd] != '\n' && text_[firstEnd] != '\r')
            ++firstEnd;
        readVersion(QByteArrayView(text_).first(firstEnd));
        gs::forEachOwnLine(text_, [this](QByteArrayView line, qsizetype start) {
            if (line.startsWith("%%"))
                readComment(line);
            else if (line.contains("pdfmark"))
                readMarks(start, start + line.size());
        });
        return finish();
    }

private:
    void readVersion(QByteArrayView line) {
        // "%!PS-Adobe-3.0 EPSF-3.0"
        const QList<QByteArray> words = line.toByteArray().simplified().split(' ');
        const bool eps = words.value(1).startsWith("EPSF-");
        QString format = eps ? QStringLiteral("EPS") : QStringLiteral("PostScript");
        if (words.value(0).startsWith("%!PS-Adobe-"))
            format += QStringLiteral(" (DSC %1)").arg(QString::fromLatin1(words[0].sliced(11)));
        structure_.properties.format = format;
    }

    void readComment(QByteArrayView line) {
        DocumentProperties& p = structure_.properties;
        const auto value = [&](qsizetype keyword) { return commentValue(line.sliced(keyword)); };
        if (isComment(line, "%%Page:")) {
            ++page_;
            // "%%Page: label ordinal"; a label may stand in parentheses.
            const QByteArray rest = line.sliced(7).trimmed().toByteArray();
            QByteArray label;
            if (rest.startsWith('(')) {
                const qsizetype close = rest.lastIndexOf(')');
                label = rest.mid(1, close > 0 ? close - 1 : -1);
            } else {
                label = rest.split(' ').value(0);
            }
            labels_ << (label == "?" ? QString() : QString::fromLatin1(label).trimmed());
            inHeader_ = false;
            return;
        }
        if (isComment(line, "%%+") && continued_) {
            fontsFrom(line.sliced(3), resourceList_);
            return;
        }
        continued_ = false;
        if (isComment(line, "%%EndComments"))
            inHeader_ = false;
        else if (isComment(line, "%%Pages:")) {
            bool ok = false;
            const int count = line.sliced(8).trimmed().toByteArray().split(' ')[0].toInt(&ok);
            if (ok && count > 0)
                pages_ = count;
        } else if (isComment(line, "%%DocumentFonts:")) {
            continued_ = true, resourceList_ = false;
            fontsFrom(line.sliced(16), false);
        } else if (isComment(line, "%%DocumentNeededResources:") ||
                   isComment(line, "%%DocumentSuppliedResources:")) {
            continued_ = true, resourceList_ = true;
            fontsFrom(line.sliced(line.indexOf(':') + 1), true);
        } else if (!inHeader_) {
            return;
        } else if (isComment(line, "%%Title:") && p.title.isEmpty()) {
            p.title = value(8);
        } else if (isComment(line, "%%Creator:") && p.creator.isEmpty()) {
            p.creator = value(10);
        } else if (isComment(line, "%%For:") && p.author.isEmpty()) {
            p.author = value(6);
        } else if (isComment(line, "%%CreationDate:") && p.created.isEmpty()) {
            p.created = value(15);
        } else if (isComment(line, "%%DocumentMedia:") && p.pageSize.isEmpty()) {
            // "%%DocumentMedia: name width height weight colour type"
            const QList<QByteArray> words = line.sliced(16).toByteArray().simplified().split(' ');
            p.pageSize = QSizeF(words.value(1).toDouble(), words.value(2).toDouble());
        } else if (isComment(line, "%%BoundingBox:") && boxSize_.isEmpty()) {
            const QList<QByteArray> words = line.sliced(14).toByteArray().simplified().split(' ');
            if (words.size() == 4)
                boxSize_ = QSizeF(words[2].toDouble() - words[0].toDouble(),
                                  words[3].toDouble() - words[1].toDouble());
        }
    }

    // Font names from a list; a list of resources names its fonts after the word "font".
    void fontsFrom(QByteArrayView list, bool resources) {
        const QList<QByteArray> words = list.toByteArray().simplified().split(' ');
        bool font = !resources;
        for (const QByteArray& word : words) {
            if (word.isEmpty() || word == "(atend)")
                continue;
            if (resources && (word == "font" || word == "procset" || word == "file" ||
                              word == "encoding" || word == "form" || word == "pattern")) {
                font = word == "font";
                continue;
            }
            const QString name = QString::fromLatin1(word);
            if (font && !fontsSeen_.contains(name)) {
                fontsSeen_.insert(name);
                structure_.properties.fonts << name;
            }
        }
    }

    void readMarks(qsizetype from, qsizetype to) {
        for (qsizetype at = text_.indexOf("pdfmark", from); at >= 0 && at < to;
             at = text_.indexOf("pdfmark", at + 7)) {
            const bool alone = (at == 0 || isDelimiter(text_[at - 1])) &&
                               (at + 7 >= text_.size() || isDelimiter(text_[at + 7]));
            if (!alone)
                continue;
            const std::optional<Mark> mark = markBefore(text_, at);
            if (!mark)
                continue;
            const auto value = [&](const char* key) {
                const auto found = mark->values.find(key);
                return found == mark->values.end() ? QByteArray() : found->second;
            };
            if (mark->kind == "OUT") {
                OutlineEntry entry;
                entry.title = textOfPostScriptString(value("Title")).simplified();
                entry.page = std::max(0, value("Page").toInt());
                entry.dest = value("Dest");
                entry.count = value("Count").toInt();
                outline_.push_back(std::move(entry));
            } else if (mark->kind == "DEST" && !value("Dest").isEmpty() && page_ > 0) {
                dests_.emplace(value("Dest"), page_);
            }
        }
    }

    DocumentStructure finish() {
        DocumentProperties& p = structure_.properties;
        if (p.pageSize.isEmpty())
            p.pageSize = boxSize_;
        if (pages_ > 0)
            p.pageCount = pages_;
        else if (page_ > 0)
            p.pageCount = page_;
        structure_.labels = PageLabels::fromList(labels_);
        std::size_t index = 0;
        while (index < outline_.size()) {
            std::vector<OutlineItem> top = outlineTree(outline_, index, 1, 0, dests_);
            std::move(top.begin(), top.end(), std::back_inserter(structure_.outline));
        }
        return std::move(structure_);
    }

    const QByteArray& text_;
    DocumentStructure structure_;
    int page_ = 0; // the %%Page: comments so far
    int pages_ = 0;
    bool inHeader_ = true;
    bool continued_ = false; // a %%+ line goes on with the list before it
    bool resourceList_ = false;
    QSizeF boxSize_;
    QStringList labels_;
    QSet<QString> fontsSeen_;
    std::vector<OutlineEntry> outline_;
    std::map<QByteArray, int> dests_;
};

} // namespace

QString textOfPostScriptString(const QByteArray& bytes) {
    if (bytes.startsWith("\xfe\xff")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16(bytes.sliced(2));
    }
    return QString::fromLatin1(bytes);
}

DocumentStructure readPostScriptStructure(const QByteArray& text) {
    return Scan(text).run();
}

} // namespace quillorn::viewer
