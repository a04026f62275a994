#include "gs/arguments.h"

#include <QFileInfo>

namespace quillorn::gs {

Arguments::Arguments() : elements_{QStringLiteral("quillorn")} {}

Arguments& Arguments::operator<<(const QString& element) {
    elements_ << element;
    return *this;
}

Arguments& Arguments::operator<<(const QStringList& elements) {
    elements_ << elements;
    return *this;
}

QStringList unattendedSwitches() {
    return {QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH")};
}

QString saferSwitch(bool safer) {
    return safer ? QStringLiteral("-dSAFER") : QStringLiteral("-dNOSAFER");
}

QString deviceSwitch(const QString& device) {
    return QStringLiteral("-sDEVICE=") + device;
}

QString resolutionSwitch(int dotsPerInch) {
    return QStringLiteral("-r") + QString::number(dotsPerInch);
}

QStringList alphaSwitches(int graphicsBits, int textBits) {
    QStringList switches;
    const auto add = [&switches](const char* name, int bits) {
        if (bits == 1 || bits == 2 || bits == 4)
            switches << QStringLiteral("-d") + QLatin1String(name) + u'=' + QString::number(bits);
    };
    add("GraphicsAlphaBits", graphicsBits);
    add("TextAlphaBits", textBits);
    return switches;
}

QStringList paperSizeSwitch(const QString& name) {
    if (name.isEmpty())
        return {};
    return {QStringLiteral("-sPAPERSIZE=") + name};
}

QStringList fixedMediaSwitch(bool fixedMedia) {
    if (!fixedMedia)
        return {};
    return {QStringLiteral("-dFIXEDMEDIA")};
}

QStringList pageRangeSwitches(qint32 page) {
    return {QStringLiteral("-dFirstPage=") + QString::number(page),
            QStringLiteral("-dLastPage=") + QString::number(page)};
}

QStringList epsCropSwitch(bool eps) {
    if (!eps)
        return {};
    return {QStringLiteral("-dEPSCrop")};
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

QString outputFileSwitch(const QString& path) {
    return QStringLiteral("-sOutputFile=") + plainFileName(path);
}

QString inputFileArgument(const QString& path) {
    // Ghostscript looks a relative name up in its own library folders before the working
    // folder: a document called lines.ps would be read as Ghostscript's lines.ps.
    if (path.isEmpty())
        return path;
    return QFileInfo(path).absoluteFilePath();
}

QString literalOutputPath(const QString& path) {
    QString literal = path;
    return literal.replace(u'%', QStringLiteral("%%"));
}

} // namespace quillorn::gs
