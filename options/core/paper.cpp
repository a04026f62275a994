#include "options/core/paper.h"

#include "options/core/options.h"

#include <QFile>
#include <array>
#include <cstdint>
#include <langinfo.h>

namespace quillorn::options {

namespace {
struct Paper {
    const char* name;
    double width; // points
    double height;
};
// In the order of the Media menu.
constexpr std::array<Paper, 9> kPapers = {{{"11x17", 792, 1224},
                                           {"a3", 842, 1191},
                                           {"a4", 595, 842},
                                           {"a5", 420, 595},
                                           {"b4", 709, 1001},
                                           {"b5", 499, 709},
                                           {"ledger", 1224, 792},
                                           {"legal", 612, 1008},
                                           {"letter", 612, 792}}};
constexpr std::int32_t kA4 = 2;
constexpr std::int32_t kLetter = 8;

QString firstPaperName(const QString& text) {
    for (const QString& line : text.split(u'\n')) {
        const QString name = line.section(u'#', 0, 0).trimmed();
        if (!name.isEmpty())
            return name.section(u' ', 0, 0);
    }
    return {};
}

QString fileText(const QString& path) {
    QFile file(path);
    // A paper file holds one short name; anything longer is no paper file.
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.read(4096)) : QString();
}

// The paper of the C library's LC_PAPER, by its width in millimetres.
QString localePaperName() {
#ifdef _NL_PAPER_WIDTH
    const auto width =
        static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo(_NL_PAPER_WIDTH)));
    if (width == 216)
        return QStringLiteral("letter");
    if (width == 210)
        return QStringLiteral("a4");
#endif
    return {};
}
} // namespace

std::optional<std::int32_t> mediaForPaperName(const QString& name) {
    const QString lower = name.trimmed().toLower();
    if (lower == QLatin1String("tabloid"))
        return 0;
    for (std::size_t i = 0; i < kPapers.size(); ++i)
        if (lower == QLatin1String(kPapers[i].name))
            return static_cast<std::int32_t>(i);
    return std::nullopt;
}

std::int32_t defaultMedia(const QString& paperText, const QLocale& locale) {
    if (const auto media = mediaForPaperName(firstPaperName(paperText)))
        return *media;
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? kLetter : kA4;
}

QString systemPaperText() {
    if (QString size = qEnvironmentVariable("PAPERSIZE"); !size.trimmed().isEmpty())
        return size;
    const QString conf = qEnvironmentVariable("PAPERCONF");
    if (QString text = fileText(conf.isEmpty() ? QStringLiteral("/etc/papersize") : conf);
        !firstPaperName(text).isEmpty())
        return text;
    return localePaperName();
}

std::int32_t systemDefaultMedia() {
    return defaultMedia(systemPaperText(), QLocale::system());
}

QSizeF mediaSizePoints(std::int32_t media) {
    if (media < 0 || media >= static_cast<std::int32_t>(kPapers.size()) || media == kCustomMedia)
        return {};
    const Paper& paper = kPapers[static_cast<std::size_t>(media)];
    return {paper.width, paper.height};
}

} // namespace quillorn::options
