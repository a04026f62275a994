#include "viewer/core/page_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

namespace quillorn::viewer {

namespace {

// A character's own text is a few code units at most; a longer value is no character.
constexpr std::size_t kMaxValue = 64;
// Coordinates beyond this are no place on any page.
constexpr double kFarAway = 1e6;
// Hits kept per page: a one-letter search of a huge page finds enough with these.
constexpr std::size_t kMaxHits = 20000;

// The value of the attribute in a tag's text: name="value"; nothing when it is not there.
std::string_view attribute(std::string_view tag, std::string_view name) {
    for (std::size_t at = tag.find(name); at != std::string_view::npos;
         at = tag.find(name, at + 1)) {
        const std::size_t quote = at + name.size() + 1;
        if (at == 0 || tag[at - 1] != ' ' || quote >= tag.size() || tag[at + name.size()] != '=' ||
            tag[quote] != '"')
            continue;
        const std::size_t end = tag.find('"', quote + 1);
        if (end == std::string_view::npos)
            return {};
        return tag.substr(quote + 1, end - quote - 1);
    }
    return {};
}

// Up to count numbers separated by blanks.
int numbers(std::string_view text, double* out, int count) {
    int read = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (read < count && p < end) {
        while (p < end && *p == ' ')
            ++p;
        double value = 0;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc() || !std::isfinite(value))
            return read;
        out[read++] = std::clamp(value, -kFarAway, kFarAway);
        p = next;
    }
    return read;
}

// XML's character references and the five named entities; anything else stays as written.
// Into text, whose memory is used again from character to character.
void decode(std::string_view value, QString& text) {
    text.clear();
    if (value.size() > kMaxValue)
        return;
    // Most characters are one printable ASCII letter.
    if (value.size() == 1 && value[0] > ' ' && value[0] < 0x7f && value[0] != '&') {
        text += QLatin1Char(value[0]);
        return;
    }
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t semicolon = value[i] == '&' ? value.find(';', i) : std::string_view::npos;
        if (semicolon == std::string_view::npos) {
            const std::size_t next = std::min(value.find('&', i + 1), value.size());
            text += QString::fromUtf8(value.data() + i, static_cast<qsizetype>(next - i));
            i = next;
            continue;
        }
        const std::string_view entity = value.substr(i + 1, semicolon - i - 1);
        char32_t code = 0;
        if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            std::uint32_t number = 0;
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                                      number, hex ? 16 : 10);
            if (error == std::errc() && end == digits.data() + digits.size() && number > 0 &&
                number <= 0x10FFFF && (number < 0xD800 || number > 0xDFFF))
                code = number;
        } else if (entity == "amp") {
            code = '&';
        } else if (entity == "lt") {
            code = '<';
        } else if (entity == "gt") {
            code = '>';
        } else if (entity == "quot") {
            code = '"';
        } else if (entity == "apos") {
            code = '\'';
        }
        if (code != 0)
            text += QString::fromUcs4(&code, 1);
        i = semicolon + 1;
    }
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
}

bool isBlank(QChar c) {
    return c.isSpace() || c == QChar(0xA0);
}

// What a character is when searching: the plain forms of dashes and quotes, a ligature's letters.
QString folded(QChar c) {
    switch (c.unicode()) {
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2212:
        return QStringLiteral("-");
    case 0x2018:
    case 0x2019:
    case 0x201B:
        return QStringLiteral("'");
    case 0x201C:
    case 0x201D:
        return QStringLiteral("\"");
    case 0x00AD: // a soft hyphen is not there for a reader
        return {};
    default:
        break;
    }
    if (c.decompositionTag() != QChar::NoDecomposition)
        return QString(c).normalized(QString::NormalizationForm_KC);
    return QString(c);
}

QString foldedNeedle(const QString& needle) {
    QString result;
    for (const QChar c : needle) {
        if (isBlank(c)) {
            if (!result.isEmpty() && !result.endsWith(u' '))
                result += u' ';
            continue;
        }
        result += folded(c);
    }
    return result.trimmed();
}

} // namespace

PageText PageText::parse(QByteArrayView output) {
    const std::string_view all(output.data(), static_cast<std::size_t>(output.size()));
    PageText page;
    double size = 10; // of the span the characters are in
    Box last{};       // the character before, for the blanks between them
    bool any = false;
    QString text; // of one character
    for (std::size_t at = all.find('<'); at != std::string_view::npos; at = all.find('<', at)) {
        const std::size_t close = all.find('>', at);
        if (close == std::string_view::npos)
            break;
        const std::string_view tag = all.substr(at, close - at);
        at = close;
        if (page.text_.size() >= kMaxCharacters)
            break;
        if (tag.rfind("<span ", 0) == 0) {
            double value = 0;
            if (numbers(attribute(tag, "size"), &value, 1) == 1 && value >= 0.5 && value <= 2000)
                size = value;
            continue;
        }
        if (tag.rfind("<char ", 0) != 0)
            continue;
        double bbox[4];
        decode(attribute(tag, "c"), text);
        if (text.isEmpty() || numbers(attribute(tag, "bbox"), bbox, 4) != 4)
            continue;
        Box box{};
        box.left = static_cast<float>(std::min(bbox[0], bbox[2]));
        box.right = static_cast<float>(std::max(bbox[0], bbox[2]));
        if (std::abs(bbox[3] - bbox[1]) >= 0.5) {
            box.top = static_cast<float>(std::min(bbox[1], bbox[3]));
            box.bottom = static_cast<float>(std::max(bbox[1], bbox[3]));
        } else { // the baseline: the box is the font's size, mostly above it
            box.top = static_cast<float>(bbox[1] - 0.8 * size);
            box.bottom = static_cast<float>(bbox[1] + 0.2 * size);
        }
        const bool blank = std::all_of(text.begin(), text.end(), isBlank);
        if (any && !page.text_.isEmpty()) {
            const float height = std::max(last.bottom - last.top, 1.0F);
            const float middle = (box.top + box.bottom) / 2,
                        lastMiddle = (last.top + last.bottom) / 2;
            const bool newLine = std::abs(middle - lastMiddle) > height / 2;
            const bool apart = box.left - last.right > 0.25F * height || box.right < last.left;
            const bool blankBefore = isBlank(page.text_.back());
            if (newLine && !blankBefore)
                page.append(u'\n', {});
            else if (newLine && page.text_.back() == u' ')
                page.text_.back() = u'\n';
            else if (apart && !blank && !blankBefore)
                page.append(u' ', {});
        }
        if (blank) {
            if (!page.text_.isEmpty() && !isBlank(page.text_.back()))
                page.append(u' ', {});
            continue; // its box is the gap, which the words on either side show
        }
        for (const QChar c : std::as_const(text))
            page.append(c, box);
        last = box;
        any = true;
    }
    while (!page.text_.isEmpty() && isBlank(page.text_.back())) {
        page.text_.chop(1);
        page.boxes_.pop_back();
    }
    page.text_.squeeze();
    page.boxes_.shrink_to_fit();
    page.buildSearchText();
    return page;
}

void PageText::append(QChar c, const Box& box) {
    text_ += c;
    boxes_.push_back(box);
}

void PageText::buildSearchText() {
    search_.clear();
    origin_.clear();
    search_.reserve(text_.size());
    origin_.reserve(static_cast<std::size_t>(text_.size()));
    for (int i = 0; i < text_.size(); ++i) {
        const QChar c = text_[i];
        if (isBlank(c)) {
            if (!search_.isEmpty() && !search_.endsWith(u' ')) {
                search_ += u' ';
                origin_.push_back(i);
            }
            continue;
        }
        if (c.unicode() < 0x80) { // nothing to fold
            search_ += c;
            origin_.push_back(i);
            continue;
        }
        const QString f = folded(c);
        search_ += f;
        origin_.insert(origin_.end(), static_cast<std::size_t>(f.size()), i);
    }
    search_.squeeze();
    origin_.shrink_to_fit();
}

bool PageText::hasText() const {
    return std::any_of(text_.begin(), text_.end(), [](QChar c) { return !isBlank(c); });
}

QRectF PageText::box(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= boxes_.size())
        return {};
    const Box& b = boxes_[static_cast<std::size_t>(index)];
    return QRectF(QPointF(b.left, b.top), QPointF(b.right, b.bottom));
}

std::vector<TextRange> PageText::find(const QString& needle, Qt::CaseSensitivity cs) const {
    std::vector<TextRange> hits;
    const QString n = foldedNeedle(needle);
    if (n.isEmpty())
        return hits;
    for (qsizetype at = search_.indexOf(n, 0, cs); at >= 0 && hits.size() < kMaxHits;
         at = search_.indexOf(n, at + n.size(), cs)) {
        const int first = origin_[static_cast<std::size_t>(at)];
        const int last = origin_[static_cast<std::size_t>(at + n.size() - 1)];
        hits.push_back({first, last - first + 1});
    }
    return hits;
}

std::vector<QRectF> PageText::boxes(TextRange range) const {
    std::vector<QRectF> rects;
    const int end = std::min<int>(range.start + range.length, static_cast<int>(boxes_.size()));
    for (int i = std::max(range.start, 0); i < end; ++i) {
        const QRectF b = box(i);
        if (b.isEmpty())
            continue;
        if (!rects.empty()) {
            QRectF& line = rects.back();
            const bool sameLine = std::abs(b.center().y() - line.center().y()) < line.height() / 2;
            if (sameLine && b.left() >= line.left()) {
                line = line.united(b);
                continue;
            }
        }
        rects.push_back(b);
    }
    return rects;
}

int PageText::caretAt(QPointF point) const {
    int nearest = -1;
    double best = 0;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const Box& b = boxes_[i];
        if (b.right <= b.left)
            continue;
        const double dx = std::max({b.left - point.x(), point.x() - b.right, 0.0});
        const double dy = std::max({b.top - point.y(), point.y() - b.bottom, 0.0});
        // A point beside a line belongs to it rather than to the line above or below.
        const double distance = dx + 4 * dy;
        if (nearest < 0 || distance < best) {
            nearest = static_cast<int>(i);
            best = distance;
        }
    }
    if (nearest < 0)
        return 0;
    const Box& b = boxes_[static_cast<std::size_t>(nearest)];
    return point.x() > (b.left + b.right) / 2 ? nearest + 1 : nearest;
}

QString PageText::textOf(TextRange range) const {
    const int start = std::clamp(range.start, 0, static_cast<int>(text_.size()));
    const int end = std::clamp(range.start + range.length, start, static_cast<int>(text_.size()));
    return text_.mid(start, end - start);
}

qint64 PageText::memoryBytes() const {
    return static_cast<qint64>(sizeof(PageText)) + 2 * (text_.capacity() + search_.capacity()) +
           static_cast<qint64>(boxes_.capacity() * sizeof(Box) + origin_.capacity() * sizeof(int));
}

QRectF pictureRect(const QRectF& pageBox, const PageGeometry& geometry) {
    const double scale = geometry.resolution / 72.0;
    const QRectF b(pageBox.topLeft() * scale, pageBox.size() * scale);
    const double w = geometry.picture.width(), h = geometry.picture.height();
    switch (geometry.orientation) {
    case 1: // the page's top is the picture's left side
        return {b.top(), h - b.right(), b.height(), b.width()};
    case 2:
        return {w - b.right(), h - b.bottom(), b.width(), b.height()};
    case 3: // the page's top is the picture's right side
        return {w - b.bottom(), b.left(), b.height(), b.width()};
    default:
        return b;
    }
}

QPointF pagePoint(QPointF picturePoint, const PageGeometry& geometry) {
    const double w = geometry.picture.width(), h = geometry.picture.height();
    const double x = picturePoint.x(), y = picturePoint.y();
    QPointF p;
    switch (geometry.orientation) {
    case 1:
        p = {h - y, x};
        break;
    case 2:
        p = {w - x, h - y};
        break;
    case 3:
        p = {y, w - x};
        break;
    default:
        p = picturePoint;
        break;
    }
    const double scale = geometry.resolution / 72.0;
    return scale > 0 ? p / scale : p;
}

} // namespace quillorn::viewer
