#include "convert/core/formats.h"

#include "base/number_rule.h"
#include "gs/arguments.h"

#include <array>

namespace quillorn::convert {

namespace {

constexpr std::array<FormatChoice, 5> kBmp = {{
    {"bmpBlack", "Black and White", "bmpmono"},
    {"bmpGrey", "Greyscale", "bmpgray"},
    {"bmp16", "16 Colour (4-bit)", "bmp16"},
    {"bmp256", "256 Colour (8-bit)", "bmp256"},
    // bmp16m is the 24-bit device, whatever the caption says.
    {"bmpTrue", "True Colour (16-bit)", "bmp16m"},
}};
constexpr std::array<FormatChoice, 2> kPxl = {{
    {"pxlGrey", "Greyscale", "pxlmono"},
    {"pxlColour", "Colour", "pxlcolor"},
}};
constexpr std::array<FormatChoice, 2> kJpeg = {{
    {"jpegGrey", "Greyscale", "jpeggray"},
    {"jpegColour", "Colour", "jpeg"},
}};
constexpr std::array<FormatChoice, 6> kPcx = {{
    {"pcxBlack", "Black and White", "pcxmono"},
    {"pcxGrey", "Greyscale", "pcxgray"},
    {"pcx16", "16 Colour (4-bit)", "pcx16"},
    {"pcx256", "256 Colour (8-bit)", "pcx256"},
    {"pcxTrue", "True Colour (24-bit)", "pcx24b"},
    {"pcxCmyk", "CMYK Colour", "pcxcmyk"},
}};
constexpr std::array<FormatChoice, 2> kPsd = {{
    {"psdRgb", "RGB", "psdrgb"},
    {"psdCmyk", "CMYK", "psdcmyk"},
}};
constexpr std::array<FormatChoice, 6> kPng = {{
    {"pngBlack", "Black and White", "pngmono"},
    {"pngGrey", "Greyscale", "pnggray"},
    {"png16", "16 Colour (4-bit)", "png16"},
    {"png256", "256 Colour (8-bit)", "png256"},
    {"pngTrue", "True Colour (24-bit)", "png16m"},
    {"pngAlpha", "Alpha (32-bit RGBA)", "pngalpha"},
}};
constexpr std::array<FormatChoice, 5> kTiff = {{
    {"tiff24", "24-bit RGB output", "tiff24nc"},
    {"tiff12", "12-bit RGB output", "tiff12nc"},
    {"tiffG3", "B&&W G3 Fax Encoding", "tiffg3"},
    {"tiffG4", "B&&W G4 Fax Encoding", "tiffg4"},
    {"tiffLzw", "B&&W LZW Encoding", "tifflzw"},
}};

// Ghostscript dropped epswrite and pswrite long ago; eps2write and ps2write are their successors.
const std::array<OutputFormat, kFormatCount> kFormats = {{
    {"Bitmap (BMP) File", "BMP - Additional Settings", kBmp, 4, nullptr, "-%d.bmp",
     "Bitmap Files|*.bmp", nullptr},
    {"Encapsulated PostScript (EPS) File",
     "Encapsulated PostScript - Additional Settings",
     {},
     -1,
     "eps2write",
     "-%d.eps",
     "Encapsulated PostScript Files|*.eps",
     nullptr},
    {"HP PCL-XL File", "PXL - Additional Settings", kPxl, 1, nullptr, "-%d.pcl", "PCL files|*.pcl",
     nullptr},
    {"JPEG/JFIF File", "JPEG - Additional Settings", kJpeg, 1, nullptr, "-%d.jpg",
     "JPEG files|*.jpeg;*.jpg", nullptr},
    {"PCX File", "PCX - Additional Settings", kPcx, 4, nullptr, "-%d.pcx", "PCX files|*.pcx",
     nullptr},
    {"Photoshop (PSD) File", "PSD - Additional Settings", kPsd, 0, nullptr, "-%d.psd",
     "Photoshop Files|*.psd", nullptr},
    {"Portable Document Format (PDF) File",
     "PDF - Additional Settings",
     {},
     -1,
     "pdfwrite",
     ".pdf",
     "Portable Data Format file|*.pdf",
     "pdfNone"},
    {"Portable Network Graphics (PNG) File", "PNG - Additional Settings", kPng, 4, nullptr,
     "-%d.png", "Portable Network Graphics file|*.png", nullptr},
    {"Portable Network Map (PNM) File",
     "PNM - Additional Settings",
     {},
     -1,
     "pnm",
     "-%d.pnm",
     "Portable Network Map Files|*.pnm",
     "pnmNone"},
    {"PostScript (PS) File",
     "PostScript - Additional Settings",
     {},
     -1,
     "ps2write",
     ".ps",
     "PostScript file|*.ps",
     nullptr},
    {"Tagged Image File Format (TIFF) File", "TIFF - Additional Settings", kTiff, 0, nullptr,
     "-%d.tiff", "Tagged Image File Format|*.tiff;*.tif", nullptr},
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
