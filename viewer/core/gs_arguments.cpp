#include "viewer/core/gs_arguments.h"

#include "app/core/services.h"

#include <array>

namespace quillorn::viewer {

QString StartFragment() {
    return QStringLiteral("gswin32c -dNOPAUSE -dBATCH");
}

QString SaferFragment(bool safer) {
    return safer ? QStringLiteral(" -dSAFER") : QStringLiteral(" -dNOSAFER");
}

QString DeviceFragment(const QString& device) {
    return QStringLiteral(" -sDEVICE=") + device;
}

QString ResolutionFragment(int dotsPerInch) {
    return QStringLiteral(" -r") + QString::number(dotsPerInch);
}

QString AlphaFragments(int graphicsAlpha, int textAlpha) {
    return QStringLiteral(" -dGraphicsAlphaBits=") + QString::number(graphicsAlpha) +
           QStringLiteral(" -dTextAlphaBits=") + QString::number(textAlpha);
}

QString PaperSizeFragment(int media, WindowServices& services, const QString& customMessage) {
    static const std::array<const char*, 9> kPaper = {"11x17", "a3",     "a4",    "a5",    "b4",
                                                      "b5",    "ledger", "legal", "letter"};
    if (media >= 0 && media < static_cast<int>(kPaper.size()))
        return QStringLiteral(" -sPAPERSIZE=") + QLatin1String(kPaper[static_cast<size_t>(media)]);
    if (media == 9)
        services.MsgBox(customMessage, mb::OkOnly, kAppTitle);
    return {};
}

QString FixedMediaFragment(bool overrideDefaultMedia) {
    return overrideDefaultMedia ? QStringLiteral(" -dFIXEDMEDIA") : QString();
}

QString PageRangeFragment(qint32 page) {
    return QStringLiteral(" -dFirstPage=") + QString::number(page) +
           QStringLiteral(" -dLastPage=") + QString::number(page);
}

QString DisplayDevice(int colourDepth) {
    static const std::array<const char*, 5> kDevices = {"bmpmono", "bmpgray", "bmp16", "bmp256",
                                                        "bmp16m"};
    if (colourDepth >= 0 && colourDepth < static_cast<int>(kDevices.size()))
        return QLatin1String(kDevices[static_cast<size_t>(colourDepth)]);
    return QStringLiteral("bmp16m");
}

namespace {
QString PlainFileName(const QString& path) {
    if (path.startsWith(u'-') || path.startsWith(u'@') || path.startsWith(u'%') ||
        path.startsWith(u'|'))
        return QStringLiteral("./") + path;
    return path;
}
} // namespace

QStringList ArgumentList(const QString& line, const QString& outputPath, const QString& inputPath) {
    QStringList args = line.split(u' ');
    args << QStringLiteral("-sOutputFile=") + PlainFileName(outputPath) << PlainFileName(inputPath);
    return args;
}

QString LiteralOutputPath(const QString& path) {
    QString literal = path;
    return literal.replace(u'%', QStringLiteral("%%"));
}

QString RenderArgumentLine(const options::Options& options, qint32 page, WindowServices& services) {
    return StartFragment() + SaferFragment(options.Safer) +
           DeviceFragment(DisplayDevice(options.ColourDepth)) +
           ResolutionFragment(options.Resolution) +
           AlphaFragments(options.GraphicsAlpha, options.TextAlpha) +
           PaperSizeFragment(options.Media, services,
                             QStringLiteral("Custom paper sizes not done yet!")) +
           FixedMediaFragment(options.OverrideDefaultMedia) + PageRangeFragment(page);
}

} // namespace quillorn::viewer
