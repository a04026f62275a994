#include "options/core/paper.h"

#include "options/core/options.h"

#include <QFile>
#include <array>
#include <cstdint>
#include <langinfo.h>

namespace quillorn::options {

namespace {
struct PaperSize {
    const char* name; // libpaper's and Ghostscript's
    double width;     // points
    double height;
};
// In the order of the Media menu, Custom left out.
constexpr std::array<PaperSize, 9> kPapers = {{{"11x17", 792, 1224},
                                               {"a3", 842, 1191},
                                               {"a4", 595, 842},
                                               {"a5", 420, 595},
                                               {"b4", 709, 1001},
                                               {"b5", 499, 709},
                                               {"ledger", 1224, 792},
                                               {"legal", 612, 1008},
                                               {"letter", 612, 792}}};
static_assert(kPapers.size() == static_cast<std::size_t>(Paper::Custom));

const PaperSize* paperSize(Paper paper) {
    const auto index = static_cast<std::size_t>(paper);
    return index < kPapers.size() ? &kPapers[index] : nullptr;
}

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

std::optional<Paper> mediaForPaperName(const QString& name) {
    const QString lower = name.trimmed().toLower();
    if (lower == QLatin1String("tabloid"))
        return Paper::Tabloid11x17;
    for (std::size_t i = 0; i < kPapers.size(); ++i)
        if (lower == QLatin1String(kPapers[i].name))
            return static_cast<Paper>(i);
    return std::nullopt;
}

Paper defaultMedia(const QString& paperText, const QLocale& locale) {
    if (const auto media = mediaForPaperName(firstPaperName(paperText)))
        return *media;
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? Paper::Letter : Paper::A4;
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

Paper systemDefaultMedia() {
    return defaultMedia(systemPaperText(), QLocale::system());
}

QString paperName(Paper media) {
    const PaperSize* paper = paperSize(media);
    return paper ? QLatin1String(paper->name) : QString();
}

QSizeF mediaSizePoints(Paper media) {
    const PaperSize* paper = paperSize(media);
    return paper ? QSizeF(paper->width, paper->height) : QSizeF();
}

} // namespace quillorn::options
