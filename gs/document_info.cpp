#include "gs/document_info.h"

#include "base/failure.h"
#include "gs/arguments.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <memory>
#include <zlib.h>

namespace quillorn::gs {

namespace {

// Files larger than this are not read whole for a count.
constexpr qint64 kScanLimit = 64LL * 1024 * 1024;

std::optional<int> dscPageCount(const QByteArray& text) {
    // "%%Pages: 12" in the header, or "(atend)" there and the number in the trailer.
    static const QRegularExpression pages(QStringLiteral("^%%Pages:[ \\t]*(\\d+)"),
                                          QRegularExpression::MultilineOption);
    std::optional<int> found;
    for (auto it = pages.globalMatch(QString::fromLatin1(text)); it.hasNext();)
        found = it.next().captured(1).toInt();
    if (found && *found > 0)
        return found;
    const qsizetype count = text.count("\n%%Page:") + (text.startsWith("%%Page:") ? 1 : 0);
    if (count > 0)
        return static_cast<int>(count);
    return found;
}

std::optional<int> pdfPageCount(const QByteArray& text) {
    // The root of the page tree counts every page; its children count fewer.
    static const QRegularExpression pages(
        QStringLiteral("/Type\\s*/Pages\\b[^>]*?/Count\\s+(\\d+)|/Count\\s+(\\d+)[^>]*?/Type\\s*/"
                       "Pages\\b"));
    std::optional<int> most;
    for (auto it = pages.globalMatch(QString::fromLatin1(text)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int n = (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).toInt();
        most = std::max(most.value_or(0), n);
    }
    return most;
}

struct GzFileCloser {
    void operator()(gzFile file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzFileCloser>;

// The first bytes of a file, read through gzip compression when it has any.
QByteArray head(const QString& path, int size) {
    const GzFile file(gzopen(QFile::encodeName(path).constData(), "rb"));
    if (!file)
        return {};
    QByteArray bytes(size, '\0');
    const int read = gzread(file.get(), bytes.data(), static_cast<unsigned>(size));
    bytes.truncate(std::max(read, 0));
    return bytes;
}

Failure unreadable(const QString& text, const QString& path) {
    return {FailureKind::FileAccess, text.arg(path)};
}

} // namespace

bool isGzip(const QString& path) {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) &&
           file.read(2) == QByteArrayLiteral("\x1f\x8b");
}

bool isEps(const QString& path) {
    if (!QFileInfo(path).isFile())
        return false;
    QString name = QFileInfo(path).fileName().toLower();
    if (name.endsWith(QLatin1String(".gz")))
        name.chop(3);
    for (const char* ending : {".eps", ".epsi", ".epi"})
        if (name.endsWith(QLatin1String(ending)))
            return true;
    const QByteArray start = head(path, 256);
    if (start.startsWith("\xc5\xd0\xd3\xc6"))
        return true; // the DOS header in front of the PostScript part
    qsizetype end = 0;
    while (end < start.size() && start[end] != '\n' && start[end] != '\r')
        ++end;
    const QByteArray firstLine = start.left(end);
    static const QRegularExpression header(
        QStringLiteral("^%!PS-Adobe-\\d+\\.\\d+\\s+EPSF-\\d+\\.\\d+"));
    return header.match(QString::fromLatin1(firstLine)).hasMatch();
}

void decompressGzip(const QString& source, const QString& target, qint64 limitBytes) {
    const GzFile in(gzopen(QFile::encodeName(source).constData(), "rb"));
    QFile out(target);
    if (!in)
        throw unreadable(QStringLiteral("Cannot read %1"), source);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw unreadable(QStringLiteral("Cannot write %1"), target);
    gzbuffer(in.get(), 1 << 20);
    QByteArray buffer(1 << 20, '\0');
    qint64 total = 0;
    const auto fail = [&](const Failure& failure) {
        out.remove();
        throw failure;
    };
    for (;;) {
        const int read = gzread(in.get(), buffer.data(), static_cast<unsigned>(buffer.size()));
        int error = Z_OK;
        gzerror(in.get(), &error);
        if (read < 0 || (error != Z_OK && error != Z_STREAM_END))
            fail(unreadable(QStringLiteral("The compressed document %1 is damaged"), source));
        if (read == 0)
            break;
        total += read;
        if (total > limitBytes)
            fail({FailureKind::FileAccess,
                  QStringLiteral("The compressed document %1 is larger than %2 MB once "
                                 "decompressed")
                      .arg(source)
                      .arg(limitBytes / (1024LL * 1024))});
        if (out.write(buffer.constData(), read) != read)
            fail(unreadable(QStringLiteral("Cannot write %1"), target));
    }
    if (!out.flush())
        fail(unreadable(QStringLiteral("Cannot write %1"), target));
}

QStringList pdfPageCountArguments(const QString& path, const QString& password) {
    // The file reaches the PostScript code by name, so it needs no escaping; -dSAFER lets it be
    // read because it is named on the command line.
    Arguments args;
    args << QStringLiteral("-q") << QStringLiteral("-dNODISPLAY") << QStringLiteral("-dSAFER")
         << unattendedSwitches() << QStringLiteral("-dPDFSTOPONERROR")
         << QStringLiteral("-sFile=") + path << QStringLiteral("--permit-file-read=") + path;
    if (!password.isEmpty())
        args << QStringLiteral("-sPDFPassword=") + password;
    args << QStringLiteral("-c") << QStringLiteral("File (r) file runpdfbegin pdfpagecount = quit");
    return args.list();
}

std::optional<int> pageCountFromOutput(const QString& output) {
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d{1,9})\\s*$"),
                                           QRegularExpression::MultilineOption);
    std::optional<int> last;
    for (auto it = number.globalMatch(output); it.hasNext();)
        last = it.next().captured(1).toInt();
    return last;
}

bool isPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(1024).contains("%PDF-");
}

std::optional<int> cheapPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kScanLimit)
        return std::nullopt;
    const QByteArray text = file.readAll();
    if (text.left(1024).contains("%PDF-"))
        return pdfPageCount(text);
    if (text.startsWith("%!"))
        return dscPageCount(text);
    return std::nullopt;
}

} // namespace quillorn::gs
