#include "convert/core/output_files.h"

#include "base/failure.h"
#include "gs/arguments.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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

// The path with its folder's links resolved; the file itself need not exist.
QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : folder + u'/' + info.fileName();
}

// The permissions a new file gets under the user's umask.
QFile::Permissions newFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFile::Permissions p;
    const auto bit = [&](mode_t m, QFile::Permissions q) {
        if (mode & m)
            p |= q;
    };
    bit(S_IRUSR, QFile::ReadOwner | QFile::ReadUser);
    bit(S_IWUSR, QFile::WriteOwner | QFile::WriteUser);
    bit(S_IRGRP, QFile::ReadGroup);
    bit(S_IWGRP, QFile::WriteGroup);
    bit(S_IROTH, QFile::ReadOther);
    bit(S_IWOTH, QFile::WriteOther);
    return p;
}

Failure cannotWrite(const QString& folder) {
    return {FailureKind::FileAccess, QStringLiteral("Cannot write in the folder ") + folder};
}

} // namespace

OutputPattern::OutputPattern(const QString& text) {
    QString literal;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            literal += text[i];
            continue;
        }
        const QStringView rest = QStringView(text).mid(i + 1);
        if (rest.startsWith(u'%')) {
            literal += u'%';
            ++i;
        } else if (rest.startsWith(u'd')) {
            pieces_.push_back({literal, -1});
            pieces_.push_back({{}, 0});
            literal.clear();
            ++placeholders_;
            ++i;
        } else if (rest.size() >= 3 && rest[0] == u'0' && rest[1] >= u'1' && rest[1] <= u'9' &&
                   rest[2] == u'd') {
            pieces_.push_back({literal, -1});
            pieces_.push_back({{}, rest[1].unicode() - u'0'});
            literal.clear();
            ++placeholders_;
            i += 3;
        } else {
            literal += u'%';
        }
    }
    pieces_.push_back({literal, -1});
}

QString OutputPattern::forGhostscript() const {
    QString out;
    for (const Piece& piece : pieces_)
        out += piece.width < 0    ? gs::literalOutputPath(piece.literal)
               : piece.width == 0 ? QStringLiteral("%d")
                                  : QStringLiteral("%0") + QString::number(piece.width) + u'd';
    return out;
}

QString OutputPattern::fileFor(int page) const {
    QString out;
    for (const Piece& piece : pieces_)
        out += piece.width < 0 ? piece.literal
                               : QStringLiteral("%1").arg(page, piece.width, 10, QLatin1Char('0'));
    return out;
}

QRegularExpression OutputPattern::fileNamePattern() const {
    QString pattern;
    for (const Piece& piece : pieces_) {
        if (piece.width < 0)
            pattern += QRegularExpression::escape(piece.literal);
        else if (piece.width <= 1)
            pattern += QStringLiteral("[1-9][0-9]*");
        else
            pattern += QStringLiteral("(?:[0-9]{%1}|[1-9][0-9]{%1,})").arg(piece.width);
    }
    // Only the part after the last folder separator is a file name.
    const qsizetype slash = pattern.lastIndexOf(u'/');
    return QRegularExpression(
        QRegularExpression::anchoredPattern(slash < 0 ? pattern : pattern.mid(slash + 1)));
}

QString firstOutputName(const QString& outputName) {
    return OutputPattern(outputName).fileFor(1);
}

bool wouldOverwriteInput(const QString& outputName, const QString& inputFile) {
    if (outputName.isEmpty() || inputFile.isEmpty())
        return false;
    const OutputPattern pattern(outputName);
    const QString first = pattern.fileFor(1);
    // Even a missing input must not be named as the output: Ghostscript would read what it writes.
    if (resolvedPath(first) == resolvedPath(inputFile))
        return true;
    const std::optional<struct stat> input = statOf(inputFile);
    if (!input)
        return false; // nothing there to lose
    if (const auto firstFile = statOf(first); firstFile && sameFile(*firstFile, *input))
        return true;
    if (!pattern.hasPlaceholder())
        return false;
    const QRegularExpression files = pattern.fileNamePattern();
    const QDir folder(QFileInfo(first).absolutePath());
    const QStringList entries = folder.entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& entry : entries) {
        if (!files.match(entry).hasMatch())
            continue;
        if (const auto page = statOf(folder.filePath(entry)); page && sameFile(*page, *input))
            return true;
    }
    return false;
}

struct OutputStaging::Private {
    OutputPattern target;
    bool pages = false;      // one file per page
    bool splitPages = false; // pages although the target has no placeholder
    QString folder;          // the target's folder
    std::optional<QTemporaryFile> file;
    std::optional<QTemporaryDir> dir;
    bool published = false;

    explicit Private(const QString& name) : target(name) {}

    // The staged pages by number, in order.
    QList<std::pair<int, QString>> stagedPages() const {
        QList<std::pair<int, QString>> out;
        if (!dir)
            return out;
        const QStringList names =
            QDir(dir->path())
                .entryList({QStringLiteral("page-*")}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : names) {
            bool ok = false;
            const int page = name.mid(5).toInt(&ok);
            if (ok && page > 0)
                out.append({page, dir->filePath(name)});
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

OutputStaging::OutputStaging(const QString& outputName, bool splitPages)
    : d_(std::make_unique<Private>(outputName)) {
    const QString first = d_->target.fileFor(1);
    d_->folder = QFileInfo(first).absolutePath();
    d_->splitPages = splitPages && !d_->target.hasPlaceholder();
    d_->pages = d_->target.hasPlaceholder() || d_->splitPages;
    if (d_->pages) {
        d_->dir.emplace(d_->folder + QStringLiteral("/.quillorn-%1-XXXXXX").arg(::getpid()));
        if (!d_->dir->isValid())
            throw cannotWrite(d_->folder);
    } else {
        // Made here, with an unpredictable name, so no one else can have planted a link at it.
        d_->file.emplace(first + QStringLiteral(".quillorn-XXXXXX"));
        if (!d_->file->open())
            throw cannotWrite(d_->folder);
        d_->file->close();
        d_->file->setPermissions(newFilePermissions());
    }
}

OutputStaging::~OutputStaging() = default;

QString OutputStaging::ghostscriptOutput() const {
    if (d_->file)
        return gs::literalOutputPath(d_->file->fileName());
    return gs::literalOutputPath(d_->dir->path()) + QStringLiteral("/page-%d");
}

int OutputStaging::filesWritten() const {
    if (d_->file)
        return QFileInfo(d_->file->fileName()).size() > 0 ? 1 : 0;
    return static_cast<int>(d_->stagedPages().size());
}

QStringList OutputStaging::takePages(OutputStaging& from, int firstPage) {
    QStringList taken;
    if (!d_->dir)
        return taken;
    for (const auto& [page, staged] : from.d_->stagedPages()) {
        const QString to = d_->dir->filePath(QStringLiteral("page-%1").arg(firstPage + page - 1));
        if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(to).constData()) != 0)
            throw Failure{FailureKind::FileAccess, QStringLiteral("Cannot write ") + to};
        taken << to;
    }
    return taken;
}

QStringList OutputStaging::publish() {
    QStringList published;
    const auto place = [&](const QString& from, const QString& to) {
        // rename() replaces whatever stands at the target, a link included, in one step.
        if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
            throw Failure{FailureKind::FileAccess, QStringLiteral("Cannot write ") + to};
        published << to;
    };
    if (d_->file) {
        d_->file->setAutoRemove(false);
        place(d_->file->fileName(), d_->target.fileFor(1));
        d_->file.reset();
        return published;
    }
    const QFile::Permissions permissions = newFilePermissions();
    const QString first = d_->target.fileFor(1);
    const QFileInfo firstInfo(first);
    for (const auto& [page, staged] : d_->stagedPages()) {
        QFile::setPermissions(staged, permissions);
        QString to = d_->target.fileFor(page);
        if (d_->splitPages && page > 1)
            to = firstInfo.path() + u'/' + firstInfo.completeBaseName() +
                 QStringLiteral("-%1").arg(page) +
                 (firstInfo.suffix().isEmpty() ? QString() : u'.' + firstInfo.suffix());
        place(staged, to);
    }
    return published;
}

} // namespace quillorn::convert
