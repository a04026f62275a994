#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

namespace quillorn::convert {

// One option button of a format's settings frame, with the Ghostscript device it selects.
struct FormatChoice {
    const char* name;    // the control's name, e.g. "bmpTrue"
    const char* caption; // "&&" stands for a literal ampersand
    const char* device;
};

// One entry of the "Convert file to:" list. The entry's position is the format index.
struct OutputFormat {
    const char* entry;
    const char* frameCaption;
    std::span<const FormatChoice> choices; // top to bottom; empty when the frame has none
    int defaultChoice;                     // index into choices, -1 without choices
    const char* device;                    // for formats without choices
    const char* nameEnding;                // appended to the input's base for the proposal
    const char* filter;                    // "description|pattern;pattern"
    const char* noneLabel;                 // "pdfNone" etc., or nullptr
};

inline constexpr int kFormatCount = 11;
inline constexpr int kFormatBmp = 0;
inline constexpr int kFormatEps = 1;
inline constexpr int kFormatPxl = 2;
inline constexpr int kFormatJpeg = 3;
inline constexpr int kFormatPcx = 4;
inline constexpr int kFormatPsd = 5;
inline constexpr int kFormatPdf = 6;
inline constexpr int kFormatPng = 7;
inline constexpr int kFormatPnm = 8;
inline constexpr int kFormatPs = 9;
inline constexpr int kFormatTiff = 10;

// The eleven formats in list order.
std::span<const OutputFormat> formatTable();
// The format of an index, or nullptr outside 0-10.
const OutputFormat* formatAt(int index);

// The device switch of a format and the selected choice (-sDEVICE=...), followed for PDF by its
// compatibility level and settings, for JPEG by the quality. Empty when the format index or the
// choice is out of range.
QStringList formatDeviceArguments(int format, int choice, QStringView jpegQuality);

// The output name proposed for an input file: the input without its extension (the part from
// the last "." of the file name on; a dot in a folder name is no extension), any "%" in it kept
// literal, followed by the format's name ending.
QString proposeOutputName(const QString& inputFile, int format);

// A filter of the format table ("Bitmap Files|*.bmp") as Qt's file dialogs take it
// ("Bitmap Files (*.bmp)"); several patterns are separated by blanks there.
QString dialogFilter(const QString& filter);

// A number typed by the user as Ghostscript reads it: the number-from-text rule, written back
// with "." as the decimal point whatever the user's locale.
QString argumentNumber(QStringView text);

} // namespace quillorn::convert
