#include "convert/core/output_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>

namespace quillorn::convert {

namespace {

std::optional<struct stat> statOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What a printf-style whole-number conversion makes of page numbers from 1 on, as a regular
// expression: zero-padded to the width, or padded with blanks.
QString pageNumberPattern(const QRegularExpressionMatch& m) {
    const QString flags = m.captured(1);
    const int width = m.captured(2).toInt();
    const QString sign = flags.contains(u'+') ? QStringLiteral("\\+") : QString();
    if (flags.contains(u'0') && !flags.contains(u'-') && width > 1)
        return sign + QStringLiteral("(?:[0-9]{%1}|[1-9][0-9]{%1,})").arg(width);
    return QStringLiteral(" *") + sign + QStringLiteral("[1-9][0-9]* *");
}

// The file name pattern as a regular expression: each whole-number conversion (which
// Ghostscript fills with the page number) matches the texts it makes; "%%" is a literal "%".
QRegularExpression pagePattern(const QString& fileName) {
    static const QRegularExpression conversion(QStringLiteral("%%|%([-+ #0]*)([0-9]*)[diu]"));
    QString pattern;
    qsizetype from = 0;
    for (auto it = conversion.globalMatch(fileName); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pattern += QRegularExpression::escape(fileName.mid(from, m.capturedStart() - from));
        pattern += m.captured() == QLatin1String("%%") ? QStringLiteral("%") : pageNumberPattern(m);
        from = m.capturedEnd();
    }
    pattern += QRegularExpression::escape(fileName.mid(from));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern));
}

// The path with its folder's links resolved; the file itself need not exist.
QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : folder + u'/' + info.fileName();
}

} // namespace

QString firstOutputName(const QString& outputName) {
    QString name = outputName;
    name.replace(QStringLiteral("%d"), QStringLiteral("1"));
    name.replace(QStringLiteral("%02d"), QStringLiteral("01"));
    name.replace(QStringLiteral("%03d"), QStringLiteral("001"));
    return name;
}

bool wouldOverwriteInput(const QString& outputName, const QString& inputFile) {
    if (outputName.isEmpty() || inputFile.isEmpty())
        return false;
    // Even a missing input must not be named as the output: Ghostscript would read what it writes.
    if (resolvedPath(firstOutputName(outputName)) == resolvedPath(inputFile))
        return true;
    const std::optional<struct stat> input = statOf(inputFile);
    if (!input)
        return false; // nothing there to lose
    if (const auto first = statOf(firstOutputName(outputName)); first && sameFile(*first, *input))
        return true;
    const QFileInfo output(outputName);
    if (!output.fileName().contains(u'%'))
        return false;
    const QRegularExpression pattern = pagePattern(output.fileName());
    const QDir folder(output.absolutePath());
    const QStringList entries = folder.entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& entry : entries) {
        if (!pattern.match(entry).hasMatch())
            continue;
        if (const auto page = statOf(folder.filePath(entry)); page && sameFile(*page, *input))
            return true;
    }
    return false;
}

FileWitness::FileWitness(const QString& path) : path_(path), before_(take(path)) {}

std::optional<FileWitness::Stamp> FileWitness::take(const QString& path) {
    const std::optional<struct stat> st = statOf(path);
    if (!st || !S_ISREG(st->st_mode))
        return std::nullopt;
    return Stamp{st->st_dev, st->st_ino, st->st_size,
                 st->st_mtim.tv_sec * 1000000000LL + st->st_mtim.tv_nsec,
                 st->st_ctim.tv_sec * 1000000000LL + st->st_ctim.tv_nsec};
}

bool FileWitness::createdOrRewritten() const {
    const std::optional<Stamp> now = take(path_);
    return now && (!before_ || !(*now == *before_));
}

} // namespace quillorn::convert
