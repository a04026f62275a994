#include "gs/document_info.h"

#include "base/failure.h"
#include "gs/arguments.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <zlib.h>

namespace quillorn::gs {

namespace {

// Files larger than this are not read whole for a count.
constexpr qint64 kScanLimit = 64LL * 1024 * 1024;

// The whole number at the start of text (blanks before it allowed); nothing when there is none.
std::optional<qint64> leadingNumber(QByteArrayView text) {
    text = text.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && digits < 12 && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0)
        return std::nullopt;
    return text.first(digits).toLongLong();
}

bool isComment(QByteArrayView line, const char* keyword) {
    if (!line.startsWith(keyword))
        return false;
    // "%%Trailer" is not "%%TrailerX"; keywords ending in ":" end there.
    const qsizetype length = qsizetype(std::strlen(keyword));
    return keyword[length - 1] == ':' || line.size() == length || line[length] == ' ' ||
           line[length] == '\t' || line[length] == ':';
}

} // namespace

void forEachOwnLine(const QByteArray& text,
                    const std::function<void(QByteArrayView line, qsizetype start)>& visit) {
    const qsizetype size = text.size();
    qsizetype pos = 0;
    // The line at pos: where it ends, and where the next one starts.
    const auto lineAt = [&](qsizetype from, qsizetype& next) {
        qsizetype end = from;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        next = end + (end + 1 < size && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        return QByteArrayView(text.constData() + from, end - from);
    };
    // Passes over lines up to and including the one that begins with endComment.
    const auto skipTo = [&](const char* endComment) {
        for (qsizetype next = pos; pos < size; pos = next)
            if (lineAt(pos, next).startsWith(endComment)) {
                pos = next;
                return;
            }
    };
    int depth = 0; // embedded documents open around the line
    while (pos < size) {
        qsizetype next = 0;
        const qsizetype start = pos;
        const QByteArrayView line = lineAt(pos, next);
        pos = next;
        if (!line.startsWith("%%")) {
            if (depth == 0)
                visit(line, start);
        } else if (isComment(line, "%%BeginData:")) {
            // "%%BeginData: numberof [type [Bytes|Lines]]"
            const QList<QByteArray> words = line.sliced(12).toByteArray().simplified().split(' ');
            const std::optional<qint64> count = leadingNumber(words.value(0));
            if (!count) {
                skipTo("%%EndData");
            } else if (words.value(2) == "Lines") {
                for (qint64 i = 0; i < *count && pos < size; ++i)
                    lineAt(pos, pos);
            } else {
                pos += std::min<qint64>(*count, size - pos);
            }
        } else if (isComment(line, "%%BeginBinary:")) {
            if (const std::optional<qint64> count = leadingNumber(line.sliced(14)))
                pos += std::min<qint64>(*count, size - pos);
            else
                skipTo("%%EndBinary");
        } else if (isComment(line, "%%BeginDocument")) {
            ++depth;
        } else if (isComment(line, "%%EndDocument")) {
            depth = std::max(0, depth - 1);
        } else if (depth == 0) {
            visit(line, start);
        }
    }
}

namespace {

// A PostScript file's page count by its own DSC comments: "%%Pages: 12" in the header (the first
// there), or "(atend)" there and the last "%%Pages:" after "%%Trailer"; without a number, its
// "%%Page:" comments counted.
std::optional<int> dscPageCount(const QByteArray& text) {
    bool trailer = false;
    bool atEnd = false;
    std::optional<qint64> header, trailing;
    qint64 pageComments = 0;
    forEachOwnLine(text, [&](QByteArrayView line, qsizetype) {
        if (isComment(line, "%%Trailer")) {
            trailer = true;
        } else if (isComment(line, "%%Page:")) {
            ++pageComments;
        } else if (isComment(line, "%%Pages:")) {
            const QByteArrayView value = line.sliced(8).trimmed();
            const std::optional<qint64> number = leadingNumber(value);
            if (trailer) {
                if (number)
                    trailing = number;
            } else if (!header && !atEnd) {
                atEnd = value.startsWith("(atend)");
                header = number;
            }
        }
    });
    const auto fit = [](qint64 n) { return static_cast<int>(std::min<qint64>(n, INT_MAX)); };
    const std::optional<qint64> found = header ? header : trailing;
    if (found && *found > 0)
        return fit(*found);
    if (pageComments > 0)
        return fit(pageComments);
    if (found)
        return fit(*found);
    return std::nullopt;
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

std::optional<QByteArray> wholeText(const QString& path, qint64 limit) {
    const GzFile file(gzopen(QFile::encodeName(path).constData(), "rb"));
    if (!file)
        return std::nullopt;
    QByteArray text;
    QByteArray buffer(1 << 20, '\0');
    for (;;) {
        const int read = gzread(file.get(), buffer.data(), static_cast<unsigned>(buffer.size()));
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            return text;
        if (text.size() + read > limit)
            return std::nullopt;
        text.append(buffer.constData(), read);
    }
}

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
        throw unreadable(QCoreApplication::translate("quillorn::gs", "Cannot read %1"), source);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw unreadable(QCoreApplication::translate("quillorn::gs", "Cannot write %1"), target);
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
            fail(unreadable(QCoreApplication::translate("quillorn::gs",
                                                        "The compressed document %1 is damaged"),
                            source));
        if (read == 0)
            break;
        total += read;
        if (total > limitBytes)
            fail({FailureKind::FileAccess,
                  QCoreApplication::translate(
                      "quillorn::gs", "The compressed document %1 is larger than %2 MB once "
                                      "decompressed")
                      .arg(source)
                      .arg(limitBytes / (1024LL * 1024))});
        if (out.write(buffer.constData(), read) != read)
            fail(
                unreadable(QCoreApplication::translate("quillorn::gs", "Cannot write %1"), target));
    }
    if (!out.flush())
        fail(unreadable(QCoreApplication::translate("quillorn::gs", "Cannot write %1"), target));
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
    // Read through gzip compression when the file has any (zlib reads other files as they are),
    // so that a gzipped document counts as its text does.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const std::optional<QByteArray> read = wholeText(path, kScanLimit);
    if (!read)
        return std::nullopt;
    const QByteArray& text = *read;
    if (text.left(1024).contains("%PDF-"))
        return pdfPageCount(text);
    if (text.startsWith("%!"))
        return dscPageCount(text);
    return std::nullopt;
}

} // namespace quillorn::gs
