#include "gs/arguments.h"

#include <array>

namespace quillorn::gs {

QString startFragment() {
    return QStringLiteral("gswin32c -dNOPAUSE -dBATCH");
}

QString saferFragment(bool safer) {
    return safer ? QStringLiteral(" -dSAFER") : QStringLiteral(" -dNOSAFER");
}

QString deviceFragment(const QString& device) {
    return QStringLiteral(" -sDEVICE=") + device;
}

QString resolutionFragment(int dotsPerInch) {
    return QStringLiteral(" -r") + QString::number(dotsPerInch);
}

QString alphaFragments(int graphicsAlpha, int textAlpha) {
    return QStringLiteral(" -dGraphicsAlphaBits=") + QString::number(graphicsAlpha) +
           QStringLiteral(" -dTextAlphaBits=") + QString::number(textAlpha);
}

QString paperSizeFragment(int media) {
    static const std::array<const char*, 9> kPaper = {"11x17", "a3",     "a4",    "a5",    "b4",
                                                      "b5",    "ledger", "legal", "letter"};
    if (media < 0 || media >= static_cast<int>(kPaper.size()))
        return {};
    return QStringLiteral(" -sPAPERSIZE=") + QLatin1String(kPaper[static_cast<size_t>(media)]);
}

QString fixedMediaFragment(bool fixedMedia) {
    return fixedMedia ? QStringLiteral(" -dFIXEDMEDIA") : QString();
}

QString pageRangeFragment(qint32 page) {
    return QStringLiteral(" -dFirstPage=") + QString::number(page) +
           QStringLiteral(" -dLastPage=") + QString::number(page);
}

QString epsCropFragment(bool eps) {
    return eps ? QStringLiteral(" -dEPSCrop") : QString();
}

QStringList orientationArguments(int orientation) {
    if (orientation < 1 || orientation > 3)
        return {};
    // Set before the document runs, the page device keeps it for every page the document makes.
    return {QStringLiteral("-c"),
            QStringLiteral("<</Orientation %1>> setpagedevice").arg(orientation),
            QStringLiteral("-f")};
}

namespace {
QString plainFileName(const QString& path) {
    if (path.startsWith(u'-') || path.startsWith(u'@') || path.startsWith(u'%') ||
        path.startsWith(u'|'))
        return QStringLiteral("./") + path;
    return path;
}
} // namespace

QStringList argumentList(const QString& line, const QString& outputPath, const QString& inputPath) {
    QStringList args = line.split(u' ');
    args << QStringLiteral("-sOutputFile=") + plainFileName(outputPath) << plainFileName(inputPath);
    return args;
}

QString literalOutputPath(const QString& path) {
    QString literal = path;
    return literal.replace(u'%', QStringLiteral("%%"));
}

} // namespace quillorn::gs
