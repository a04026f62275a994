#include "convert/core/formats.h"

#include "base/number_rule.h"
#include "gs/arguments.h"

#include <array>

namespace quillorn::convert {

namespace {

constexpr std::array<FormatChoice, 5> kBmp = {{
    {"bmpBlack", QT_TRANSLATE_NOOP("quillorn::convert", "Black and White"), "bmpmono"},
    {"bmpGrey", QT_TRANSLATE_NOOP("quillorn::convert", "Greyscale"), "bmpgray"},
    {"bmp16", QT_TRANSLATE_NOOP("quillorn::convert", "16 Colour (4-bit)"), "bmp16"},
    {"bmp256", QT_TRANSLATE_NOOP("quillorn::convert", "256 Colour (8-bit)"), "bmp256"},
    // bmp16m is the 24-bit device, whatever the caption says.
    {"bmpTrue", QT_TRANSLATE_NOOP("quillorn::convert", "True Colour (16-bit)"), "bmp16m"},
}};
constexpr std::array<FormatChoice, 2> kPxl = {{
    {"pxlGrey", QT_TRANSLATE_NOOP("quillorn::convert", "Greyscale"), "pxlmono"},
    {"pxlColour", QT_TRANSLATE_NOOP("quillorn::convert", "Colour"), "pxlcolor"},
}};
constexpr std::array<FormatChoice, 2> kJpeg = {{
    {"jpegGrey", QT_TRANSLATE_NOOP("quillorn::convert", "Greyscale"), "jpeggray"},
    {"jpegColour", QT_TRANSLATE_NOOP("quillorn::convert", "Colour"), "jpeg"},
}};
constexpr std::array<FormatChoice, 6> kPcx = {{
    {"pcxBlack", QT_TRANSLATE_NOOP("quillorn::convert", "Black and White"), "pcxmono"},
    {"pcxGrey", QT_TRANSLATE_NOOP("quillorn::convert", "Greyscale"), "pcxgray"},
    {"pcx16", QT_TRANSLATE_NOOP("quillorn::convert", "16 Colour (4-bit)"), "pcx16"},
    {"pcx256", QT_TRANSLATE_NOOP("quillorn::convert", "256 Colour (8-bit)"), "pcx256"},
    {"pcxTrue", QT_TRANSLATE_NOOP("quillorn::convert", "True Colour (24-bit)"), "pcx24b"},
    {"pcxCmyk", QT_TRANSLATE_NOOP("quillorn::convert", "CMYK Colour"), "pcxcmyk"},
}};
constexpr std::array<FormatChoice, 2> kPsd = {{
    {"psdRgb", QT_TRANSLATE_NOOP("quillorn::convert", "RGB"), "psdrgb"},
    {"psdCmyk", QT_TRANSLATE_NOOP("quillorn::convert", "CMYK"), "psdcmyk"},
}};
constexpr std::array<FormatChoice, 6> kPng = {{
    {"pngBlack", QT_TRANSLATE_NOOP("quillorn::convert", "Black and White"), "pngmono"},
    {"pngGrey", QT_TRANSLATE_NOOP("quillorn::convert", "Greyscale"), "pnggray"},
    {"png16", QT_TRANSLATE_NOOP("quillorn::convert", "16 Colour (4-bit)"), "png16"},
    {"png256", QT_TRANSLATE_NOOP("quillorn::convert", "256 Colour (8-bit)"), "png256"},
    {"pngTrue", QT_TRANSLATE_NOOP("quillorn::convert", "True Colour (24-bit)"), "png16m"},
    {"pngAlpha", QT_TRANSLATE_NOOP("quillorn::convert", "Alpha (32-bit RGBA)"), "pngalpha"},
}};
constexpr std::array<FormatChoice, 5> kTiff = {{
    {"tiff24", QT_TRANSLATE_NOOP("quillorn::convert", "24-bit RGB output"), "tiff24nc"},
    {"tiff12", QT_TRANSLATE_NOOP("quillorn::convert", "12-bit RGB output"), "tiff12nc"},
    {"tiffG3", QT_TRANSLATE_NOOP("quillorn::convert", "B&&W G3 Fax Encoding"), "tiffg3"},
    {"tiffG4", QT_TRANSLATE_NOOP("quillorn::convert", "B&&W G4 Fax Encoding"), "tiffg4"},
    {"tiffLzw", QT_TRANSLATE_NOOP("quillorn::convert", "B&&W LZW Encoding"), "tifflzw"},
}};

// Ghostscript dropped epswrite and pswrite long ago; eps2write and ps2write are their successors.
const std::array<OutputFormat, kFormatCount> kFormats = {{
    {QT_TRANSLATE_NOOP("quillorn::convert", "Bitmap (BMP) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "BMP - Additional Settings"), kBmp, 4, nullptr,
     "-%d.bmp", QT_TRANSLATE_NOOP("quillorn::convert", "Bitmap Files|*.bmp"), nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "Encapsulated PostScript (EPS) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "Encapsulated PostScript - Additional Settings"),
     {},
     -1,
     "eps2write",
     "-%d.eps",
     QT_TRANSLATE_NOOP("quillorn::convert", "Encapsulated PostScript Files|*.eps"),
     nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "HP PCL-XL File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PXL - Additional Settings"), kPxl, 1, nullptr,
     "-%d.pcl", QT_TRANSLATE_NOOP("quillorn::convert", "PCL files|*.pcl"), nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "JPEG/JFIF File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "JPEG - Additional Settings"), kJpeg, 1, nullptr,
     "-%d.jpg", QT_TRANSLATE_NOOP("quillorn::convert", "JPEG files|*.jpeg;*.jpg"), nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "PCX File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PCX - Additional Settings"), kPcx, 4, nullptr,
     "-%d.pcx", QT_TRANSLATE_NOOP("quillorn::convert", "PCX files|*.pcx"), nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "Photoshop (PSD) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PSD - Additional Settings"), kPsd, 0, nullptr,
     "-%d.psd", QT_TRANSLATE_NOOP("quillorn::convert", "Photoshop Files|*.psd"), nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "Portable Document Format (PDF) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PDF - Additional Settings"),
     {},
     -1,
     "pdfwrite",
     ".pdf",
     QT_TRANSLATE_NOOP("quillorn::convert", "Portable Data Format file|*.pdf"),
     "pdfNone"},
    {QT_TRANSLATE_NOOP("quillorn::convert", "Portable Network Graphics (PNG) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PNG - Additional Settings"), kPng, 4, nullptr,
     "-%d.png", QT_TRANSLATE_NOOP("quillorn::convert", "Portable Network Graphics file|*.png"),
     nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "Portable Network Map (PNM) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PNM - Additional Settings"),
     {},
     -1,
     "pnm",
     "-%d.pnm",
     QT_TRANSLATE_NOOP("quillorn::convert", "Portable Network Map Files|*.pnm"),
     "pnmNone"},
    {QT_TRANSLATE_NOOP("quillorn::convert", "PostScript (PS) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "PostScript - Additional Settings"),
     {},
     -1,
     "ps2write",
     ".ps",
     QT_TRANSLATE_NOOP("quillorn::convert", "PostScript file|*.ps"),
     nullptr},
    {QT_TRANSLATE_NOOP("quillorn::convert", "Tagged Image File Format (TIFF) File"),
     QT_TRANSLATE_NOOP("quillorn::convert", "TIFF - Additional Settings"), kTiff, 0, nullptr,
     "-%d.tiff", QT_TRANSLATE_NOOP("quillorn::convert", "Tagged Image File Format|*.tiff;*.tif"),
     nullptr},
}};

} // namespace

std::span<const OutputFormat> formatTable() {
    return kFormats;
}

const OutputFormat* formatAt(int index) {
    if (index < 0 || index >= kFormatCount)
        return nullptr;
    return &kFormats[static_cast<size_t>(index)];
}

QStringList formatDeviceArguments(int format, int choice, QStringView jpegQuality) {
    const OutputFormat* f = formatAt(format);
    if (!f)
        return {};
    const char* device = f->device;
    if (!f->choices.empty()) {
        if (choice < 0 || choice >= static_cast<int>(f->choices.size()))
            return {};
        device = f->choices[static_cast<size_t>(choice)].device;
    }
    QStringList args = {gs::deviceSwitch(QLatin1String(device))};
    if (format == kFormatPdf)
        args << QStringLiteral("-dCompatibilityLevel=1.3")
             << QStringLiteral("-dPDFSETTINGS=/prepress");
    if (format == kFormatJpeg)
        args << QStringLiteral("-dJPEGQ=") + argumentNumber(jpegQuality);
    return args;
}

QString proposeOutputName(const QString& inputFile, int format) {
    const OutputFormat* f = formatAt(format);
    // The extension goes only when the last dot is in the file name itself: "my.docs/report"
    // keeps its folder's dot. A "%" of the input's name stays a "%" in the output's.
    const qsizetype dot = inputFile.lastIndexOf(u'.');
    const qsizetype slash = inputFile.lastIndexOf(u'/');
    const QString base = gs::literalOutputPath(dot > slash + 1 ? inputFile.left(dot) : inputFile);
    return f ? base + QLatin1String(f->nameEnding) : base;
}

QString dialogFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    QString patterns = filter.mid(bar + 1);
    patterns.replace(u';', u' ');
    return filter.left(bar) + QStringLiteral(" (") + patterns + u')';
}

QString argumentNumber(QStringView text) {
    // QString::number ignores the locale; adding 0.0 turns a negative zero into a plain 0.
    return QString::number(parseLeadingNumber(text) + 0.0, 'g', 15);
}

} // namespace quillorn::convert
