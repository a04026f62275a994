#include "convert/core/output_files.h"

#include "base/failure.h"
#include "base/temp_files.h"
#include "gs/arguments.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
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
    return {FailureKind::FileAccess,
            QCoreApplication::translate("quillorn::convert", "Cannot write in the folder ") +
                folder};
}

// A free name beside path for a file of this process: "<path>.quillorn-<pid>-XXXXXX".
QString privateNameBeside(const QString& path) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = path + QStringLiteral(".quillorn-%1-").arg(::getpid());
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
    return name;
}

// Keeps what stands at target (a file or a link, not followed) under a second name beside it,
// while it stays at target too where the file system allows a hard link; returns that name,
// the empty text when nothing stands at target. Throws Failure (FileAccess) when it cannot.
QString keepAside(const QString& target) {
    const QByteArray to = QFile::encodeName(target);
    struct stat st {};
    if (::lstat(to.constData(), &st) != 0)
        return {};
    const Failure failure{FailureKind::FileAccess,
                          QCoreApplication::translate("quillorn::convert", "Cannot write ") +
                              target};
    if (S_ISDIR(st.st_mode))
        throw failure;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString kept = privateNameBeside(target);
        const QByteArray aside = QFile::encodeName(kept);
        // linkat() without AT_SYMLINK_FOLLOW links a symbolic link itself.
        if (::linkat(AT_FDCWD, to.constData(), AT_FDCWD, aside.constData(), 0) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != EXDEV && errno != ENOTSUP && errno != EMLINK)
            throw failure;
        // A file system without hard links: the file moves aside for a moment, onto a name
        // made for it first so that nothing else stands there.
        const int fd = ::open(aside.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            throw failure;
        }
        ::close(fd);
        if (::rename(to.constData(), aside.constData()) != 0) {
            ::unlink(aside.constData());
            throw failure;
        }
        return kept;
    }
    throw failure;
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

QString OutputPattern::pathPattern() const {
    QString pattern;
    for (const Piece& piece : pieces_)
        pattern += piece.width < 0 ? QRegularExpression::escape(piece.literal)
                                   : QStringLiteral("([0-9]+)");
    return pattern;
}

std::vector<OutputPattern::Part> OutputPattern::parts() const {
    std::vector<Part> parts(1);
    bool variable = false; // the part being built holds a placeholder
    const auto close = [&] {
        if (variable)
            parts.back().literal.clear();
        else
            parts.back().namePattern.clear();
    };
    for (const Piece& piece : pieces_) {
        if (piece.width >= 0) {
            variable = true;
            parts.back().namePattern += piece.width <= 1
                                            ? QStringLiteral("[1-9][0-9]*")
                                            : QStringLiteral("[0-9]{%1,}").arg(piece.width);
            continue;
        }
        const QStringList pieces = piece.literal.split(u'/');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                close();
                parts.emplace_back();
                variable = false;
            }
            parts.back().literal += pieces[i];
            parts.back().namePattern += QRegularExpression::escape(pieces[i]);
        }
    }
    close();
    return parts;
}

QString firstOutputName(const QString& outputName) {
    return OutputPattern(outputName).fileFor(1);
}

namespace {

// The name made absolute from the working folder, in the pattern's form.
QString absolutePattern(const QString& outputName) {
    if (outputName.isEmpty() || outputName.startsWith(u'/'))
        return outputName;
    return gs::literalOutputPath(QDir::currentPath()) + u'/' + outputName;
}

QString cleanAbsolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Page 1's name in the three pieces "name-N.ext" is made of: the folder (with its "/"), the
// name before its last dot, and the dot and ending (empty without a dot).
struct SplitPieces {
    QString folder, base, ending;
};
SplitPieces splitPieces(const QString& first) {
    const qsizetype slash = first.lastIndexOf(u'/');
    const QFileInfo name(first.mid(slash + 1));
    return {first.left(slash + 1), name.completeBaseName(),
            name.suffix().isEmpty() ? QString() : u'.' + name.suffix()};
}

// "name-N.ext" beside "name.ext".
QString splitName(const QString& first, int page) {
    const SplitPieces p = splitPieces(first);
    return p.folder + p.base + QStringLiteral("-%1").arg(page) + p.ending;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

OutputFiles::OutputFiles(const QString& outputName, bool splitPages)
    : pattern_(outputName), absolute_(absolutePattern(outputName)),
      split_(splitPages && !pattern_.hasPlaceholder()) {}

QString OutputFiles::fileFor(int page) const {
    if (!onePerPage())
        return pattern_.fileFor(1);
    if (split_ && page > 1)
        return splitName(pattern_.fileFor(1), page);
    return pattern_.fileFor(page);
}

QStringList OutputFiles::filesFor(int pageCount) const {
    QStringList files{fileFor(1)};
    for (int page = 2; onePerPage() && page <= pageCount; ++page)
        files << fileFor(page);
    return files;
}

std::optional<int> OutputFiles::pageOf(const QString& path) const {
    const QString first = absolute_.fileFor(1);
    if (path == first)
        return 1;
    if (!onePerPage())
        return std::nullopt;
    // The page number is the first number standing where a placeholder stands; every other
    // placeholder must say the same, in its own width.
    QString pattern;
    if (split_) {
        const SplitPieces p = splitPieces(first);
        pattern = QRegularExpression::escape(p.folder + p.base) + QStringLiteral("-([0-9]+)") +
                  QRegularExpression::escape(p.ending);
    } else {
        pattern = absolute_.pathPattern();
    }
    const QRegularExpressionMatch match =
        QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(path);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong page = match.captured(1).toLongLong(&ok);
    if (!ok || page < 1 || page > std::numeric_limits<int>::max())
        return std::nullopt;
    const QString name = split_ ? splitName(first, static_cast<int>(page))
                                : absolute_.fileFor(static_cast<int>(page));
    if (name != path || (split_ && page < 2))
        return std::nullopt;
    return static_cast<int>(page);
}

QStringList OutputFiles::existing() const {
    const QString text = absolute_.fileFor(1);
    if (text.isEmpty())
        return {};
    // Walked one folder part at a time: a part without a placeholder is taken as it is, one
    // with a placeholder is matched against what its folder holds. The text stays as the pattern
    // gives it ("//" and ".." included), so that pageOf() knows each name found.
    std::vector<OutputPattern::Part> parts = absolute_.parts();
    if (split_ && !parts.empty()) {
        const QString name = parts.back().literal;
        const SplitPieces p = splitPieces(name);
        parts.back().namePattern = QRegularExpression::escape(name) + u'|' +
                                   QRegularExpression::escape(p.base) + QStringLiteral("-[0-9]+") +
                                   QRegularExpression::escape(p.ending);
    }
    QStringList paths;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const OutputPattern::Part& part = parts[i];
        const bool last = i + 1 == parts.size();
        if (part.namePattern.isEmpty()) {
            if (i == 0)
                paths << part.literal;
            else
                for (QString& path : paths)
                    path += u'/' + part.literal;
            continue;
        }
        if (i == 0)
            return {}; // an absolute name starts with "/"
        const QRegularExpression names(QRegularExpression::anchoredPattern(part.namePattern));
        QStringList next;
        for (const QString& path : paths) {
            const QDir folder(path.isEmpty() ? QStringLiteral("/") : path);
            const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot);
            for (const QString& entry : entries)
                if (names.match(entry).hasMatch() &&
                    (last || QFileInfo(folder.filePath(entry)).isDir()))
                    next << path + u'/' + entry;
        }
        paths = next;
    }
    QList<std::pair<int, QString>> found;
    for (const QString& path : paths)
        if (const std::optional<int> page = pageOf(path); page && exists(path))
            found.append({*page, path});
    std::sort(found.begin(), found.end());
    QStringList out;
    for (const auto& [page, path] : found)
        out << path;
    return out;
}

QString inputOverwrittenBy(const QString& outputName, bool splitPages, const QString& inputFile) {
    if (outputName.isEmpty() || inputFile.isEmpty())
        return {};
    const OutputFiles files(outputName, splitPages);
    const std::optional<struct stat> input = statOf(inputFile);
    if (input) {
        for (const QString& name : files.existing())
            if (const auto output = statOf(name); output && sameFile(*output, *input))
                return name;
        return {};
    }
    // Even a missing input must not be named as the output: Ghostscript would read what it
    // writes. Its page, if it has one, is found by its name as given or with links resolved.
    for (const QString& name : {cleanAbsolute(inputFile), resolvedPath(inputFile)})
        if (const std::optional<int> page = files.pageOf(name))
            return files.fileFor(*page);
    const QString resolvedInput = resolvedPath(inputFile);
    if (QString first = files.fileFor(1); resolvedPath(first) == resolvedInput)
        return first;
    // The input's own name tells which page it could be when the placeholder is in it.
    const QString inputName = QFileInfo(inputFile).fileName();
    const std::optional<int> page =
        files.pageOf(QFileInfo(files.fileFor(1)).absolutePath() + u'/' + inputName);
    if (page && resolvedPath(files.fileFor(*page)) == resolvedInput)
        return files.fileFor(*page);
    return {};
}

bool wouldOverwriteInput(const QString& outputName, const QString& inputFile, bool splitPages) {
    return !inputOverwrittenBy(outputName, splitPages, inputFile).isEmpty();
}

QString firstExistingOutput(const QString& outputName, bool splitPages) {
    return OutputFiles(outputName, splitPages).existing().value(0);
}

struct OutputStaging::Private {
    OutputFiles target;
    QString folder; // page 1's folder
    std::optional<QTemporaryFile> file;
    std::optional<QTemporaryDir> dir;

    Private(const QString& name, bool splitPages) : target(name, splitPages) {}

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
            const int page = QStringView(name).mid(5).toInt(&ok);
            if (ok && page > 0)
                out.append({page, dir->filePath(name)});
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

OutputStaging::OutputStaging(const QString& outputName, bool splitPages)
    : d_(std::make_unique<Private>(outputName, splitPages)) {
    const QString first = d_->target.fileFor(1);
    d_->folder = QFileInfo(first).absolutePath();
    // Noted first, so that a start after this process was killed finds what it left.
    rememberOutputFolder(d_->folder);
    if (d_->target.onePerPage()) {
        d_->dir.emplace(d_->folder + QStringLiteral("/.quillorn-%1-XXXXXX").arg(::getpid()));
        if (!d_->dir->isValid())
            throw cannotWrite(d_->folder);
    } else {
        // Made here, with an unpredictable name, so no one else can have planted a link at it.
        d_->file.emplace(first + QStringLiteral(".quillorn-%1-XXXXXX").arg(::getpid()));
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
            throw Failure{FailureKind::FileAccess,
                          QCoreApplication::translate("quillorn::convert", "Cannot write ") + to};
        taken << to;
    }
    return taken;
}

QStringList OutputStaging::publish() {
    if (d_->file) {
        // One file: rename() puts it in place in one step, replacing whatever stands at the
        // target (a link included, not followed), or changes nothing.
        const QString to = d_->target.fileFor(1);
        if (::rename(QFile::encodeName(d_->file->fileName()).constData(),
                     QFile::encodeName(to).constData()) != 0)
            throw Failure{FailureKind::FileAccess,
                          QCoreApplication::translate("quillorn::convert", "Cannot write ") + to};
        d_->file->setAutoRemove(false);
        d_->file.reset();
        return {to};
    }
    // Pages: each replaced file is kept under a second name until all are in place, so that a
    // page that cannot be placed takes back the ones placed before it.
    struct Placed {
        QString target;
        QString kept; // what stood at the target before; empty when nothing did
    };
    std::vector<Placed> placed;
    const auto rollBack = [&placed] {
        for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
            const QByteArray target = QFile::encodeName(it->target);
            if (it->kept.isEmpty())
                ::unlink(target.constData());
            else
                ::rename(QFile::encodeName(it->kept).constData(), target.constData());
        }
    };
    const QFile::Permissions permissions = newFilePermissions();
    QStringList published;
    QSet<QString> folders{d_->folder}; // noted for the sweep, like the staging's own
    try {
        for (const auto& [page, staged] : d_->stagedPages()) {
            QFile::setPermissions(staged, permissions);
            const QString to = d_->target.fileFor(page);
            if (const QString folder = QFileInfo(to).absolutePath(); !folders.contains(folder)) {
                rememberOutputFolder(folder);
                folders.insert(folder);
            }
            Placed place{to, keepAside(to)};
            if (::rename(QFile::encodeName(staged).constData(),
                         QFile::encodeName(to).constData()) != 0) {
                if (!place.kept.isEmpty())
                    ::unlink(QFile::encodeName(place.kept).constData());
                throw Failure{FailureKind::FileAccess,
                              QCoreApplication::translate("quillorn::convert", "Cannot write ") +
                                  to};
            }
            placed.push_back(place);
            published << to;
        }
    } catch (...) {
        rollBack();
        throw;
    }
    for (const Placed& place : placed)
        if (!place.kept.isEmpty())
            ::unlink(QFile::encodeName(place.kept).constData());
    return published;
}

} // namespace quillorn::convert
