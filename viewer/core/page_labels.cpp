#include "viewer/core/page_labels.h"

#include "viewer/core/page_number.h"

#include <algorithm>
#include <array>
#include <climits>

namespace quillorn::viewer {

namespace {

// Past this a label is no page of any document: it keeps the letters and numerals short.
constexpr int kLargestNumber = 100000;

QString roman(int n) {
    static constexpr std::array<std::pair<int, const char*>, 13> kNumerals{{{1000, "m"},
                                                                            {900, "cm"},
                                                                            {500, "d"},
                                                                            {400, "cd"},
                                                                            {100, "c"},
                                                                            {90, "xc"},
                                                                            {50, "l"},
                                                                            {40, "xl"},
                                                                            {10, "x"},
                                                                            {9, "ix"},
                                                                            {5, "v"},
                                                                            {4, "iv"},
                                                                            {1, "i"}}};
    QString text;
    for (const auto& [value, numeral] : kNumerals)
        for (; n >= value; n -= value)
            text += QLatin1String(numeral);
    return text;
}

// The number written in the style, read back; nothing when the text is not one.
std::optional<int> numberOf(LabelStyle style, const QString& text) {
    if (text.isEmpty() || text.size() > 200)
        return std::nullopt;
    std::optional<int> n;
    switch (style) {
    case LabelStyle::None:
        return std::nullopt;
    case LabelStyle::Decimal: {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (ok && text.front().isDigit())
            n = value;
        break;
    }
    case LabelStyle::UpperRoman:
    case LabelStyle::LowerRoman: {
        // Summed numeral by numeral; only the canonical form reads back as the same text.
        int value = 0;
        int previous = INT_MAX;
        for (const QChar c : text) {
            static const QString kDigits = QStringLiteral("ivxlcdm");
            static constexpr std::array<int, 7> kValues{1, 5, 10, 50, 100, 500, 1000};
            const qsizetype at = kDigits.indexOf(c.toLower());
            if (at < 0)
                return std::nullopt;
            const int digit = kValues[static_cast<std::size_t>(at)];
            value += digit > previous ? digit - 2 * previous : digit;
            previous = digit;
        }
        n = value;
        break;
    }
    case LabelStyle::UpperLetters:
    case LabelStyle::LowerLetters: {
        const QChar letter = text.front();
        if (letter.toLatin1() < 'A' || letter.toLower().toLatin1() > 'z' || !letter.isLetter() ||
            std::any_of(text.begin(), text.end(), [&](QChar c) { return c != letter; }))
            return std::nullopt;
        n = static_cast<int>((text.size() - 1) * 26 + (letter.toLower().toLatin1() - 'a') + 1);
        break;
    }
    }
    if (!n || *n < 1 || *n > kLargestNumber || labelNumber(style, *n) != text)
        return std::nullopt;
    return n;
}

} // namespace

QString labelNumber(LabelStyle style, int n) {
    if (n < 1 || n > kLargestNumber)
        return style == LabelStyle::Decimal ? QString::number(n) : QString();
    switch (style) {
    case LabelStyle::None:
        return {};
    case LabelStyle::Decimal:
        return QString::number(n);
    case LabelStyle::UpperRoman:
        return roman(n).toUpper();
    case LabelStyle::LowerRoman:
        return roman(n);
    case LabelStyle::UpperLetters:
    case LabelStyle::LowerLetters: {
        const char first = style == LabelStyle::UpperLetters ? 'A' : 'a';
        return QString((n - 1) / 26 + 1, QLatin1Char(static_cast<char>(first + (n - 1) % 26)));
    }
    }
    return {};
}

PageLabels PageLabels::fromRanges(std::vector<LabelRange> ranges) {
    std::stable_sort(ranges.begin(), ranges.end(), [](const LabelRange& a, const LabelRange& b) {
        return a.firstPage < b.firstPage;
    });
    // Two ranges from one page: the later one stands.
    std::vector<LabelRange> kept;
    for (LabelRange& range : ranges) {
        if (range.firstPage < 1)
            continue;
        if (!kept.empty() && kept.back().firstPage == range.firstPage)
            kept.back() = std::move(range);
        else
            kept.push_back(std::move(range));
    }
    PageLabels labels;
    labels.ranges_ = std::move(kept);
    return labels;
}

PageLabels PageLabels::fromList(QStringList labels) {
    PageLabels result;
    if (std::any_of(labels.cbegin(), labels.cend(), [](const QString& l) { return !l.isEmpty(); }))
        result.list_ = std::move(labels);
    return result;
}

QString PageLabels::label(int page) const {
    if (page < 1)
        return {};
    if (!list_.isEmpty())
        return list_.value(page - 1);
    const auto after = std::upper_bound(ranges_.begin(), ranges_.end(), page,
                                        [](int p, const LabelRange& r) { return p < r.firstPage; });
    if (after == ranges_.begin())
        return {};
    const LabelRange& range = *std::prev(after);
    const qint64 n = qint64(range.start) + (page - range.firstPage);
    return range.prefix + labelNumber(range.style, static_cast<int>(std::min<qint64>(n, INT_MAX)));
}

std::optional<int> PageLabels::pageOf(const QString& text, std::optional<int> pageCount) const {
    const int last = pageCount.value_or(INT_MAX);
    if (!list_.isEmpty()) {
        const qsizetype at = list_.indexOf(text);
        if (at < 0 || at >= last)
            return std::nullopt;
        return static_cast<int>(at + 1);
    }
    for (std::size_t i = 0; i < ranges_.size(); ++i) {
        const LabelRange& range = ranges_[i];
        const int end = i + 1 < ranges_.size() ? ranges_[i + 1].firstPage - 1 : last;
        if (!text.startsWith(range.prefix) || range.firstPage > std::min(end, last))
            continue;
        const QString rest = text.sliced(range.prefix.size());
        if (range.style == LabelStyle::None || rest.isEmpty()) {
            if (rest.isEmpty() && labelNumber(range.style, range.start).isEmpty())
                return range.firstPage;
            continue;
        }
        const std::optional<int> n = numberOf(range.style, rest);
        if (!n || *n < range.start)
            continue;
        const qint64 page = qint64(range.firstPage) + (*n - range.start);
        if (page <= std::min(end, last))
            return static_cast<int>(page);
    }
    return std::nullopt;
}

std::optional<QString> distinctLabel(const PageLabels& labels, int page) {
    const QString label = labels.label(page);
    if (label.isEmpty() || label == QString::number(page))
        return std::nullopt;
    return label;
}

std::optional<qint32> pageFromLabelOrNumber(const QString& answer, const PageLabels& labels,
                                            std::optional<int> pageCount, const QLocale& locale) {
    if (const std::optional<int> page = labels.pageOf(answer.trimmed(), pageCount))
        return *page;
    return pageFromAnswer(answer, locale);
}

} // namespace quillorn::viewer
