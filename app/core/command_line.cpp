#include "app/core/command_line.h"

#include "base/temp_files.h"
#include "base/user_dialogs.h"
#include "base/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace quillorn::app {

QList<QByteArray> argumentsOf(int argc, char* argv[]) {
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

namespace {
bool decodes(const QByteArray& raw) {
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

// A text name for a file whose own name does not decode: what decodes, "_" for the rest.
QString textName(const QByteArray& rawPath) {
    const qsizetype slash = rawPath.lastIndexOf('/');
    QString name =
        QFile::decodeName(rawPath.mid(slash + 1)).replace(QChar::ReplacementCharacter, u'_');
    return name.isEmpty() ? QStringLiteral("document") : name;
}
} // namespace

QString joinCommandLine(const QList<QByteArray>& arguments) {
    QStringList texts;
    for (const QByteArray& argument : arguments)
        texts << QFile::decodeName(argument);
    return texts.join(u' ');
}

bool splitSwitch(const QString& commandLine, QString& switchText, QString& argument) {
    const qsizetype colon = commandLine.indexOf(u':');
    if (colon < 0)
        return false;
    switchText = commandLine.left(colon).toUpper();
    argument = commandLine.mid(colon + 1);
    return true;
}

StartRequest decideRoad(bool havePrintJob, const QList<QByteArray>& arguments,
                        const std::function<bool(const QByteArray&)>& isFile) {
    StartRequest request;
    request.commandLine = joinCommandLine(arguments);
    const auto road = [&request](Road r) {
        request.road = r;
        return request;
    };
    if (arguments.size() == 1 && arguments.front() == "--help")
        return road(Road::Help);
    if (arguments.size() == 1 && arguments.front() == "--version")
        return road(Road::Version);
    if (havePrintJob)
        return road(Road::PrintJob);
    if (arguments.isEmpty())
        return road(Road::Interactive);
    QString switchText, argument;
    if (splitSwitch(request.commandLine, switchText, argument) &&
        (switchText == QLatin1String("/CONVERT") || switchText == QLatin1String("/VIEW"))) {
        const QByteArray raw = arguments.join(' ');
        request.argument = argument;
        request.rawArgument = raw.mid(raw.indexOf(':') + 1);
        return road(switchText == QLatin1String("/VIEW") ? Road::View : Road::Convert);
    }
    if (arguments.size() == 1 && isFile && isFile(arguments.front())) {
        request.argument = request.commandLine;
        request.rawArgument = arguments.front();
        return road(Road::View);
    }
    return road(Road::Invalid);
}

bool namesFile(const QByteArray& rawPath) {
    struct stat info = {};
    return ::stat(rawPath.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

QString usageText() {
    return QCoreApplication::translate(
        "quillorn::app",
        "Usage: quillorn [--no-splash] [FILE]\n"
        "       quillorn [--no-splash] /VIEW:FILE\n"
        "       quillorn /CONVERT:FILE\n"
        "       quillorn --convert INPUT... [OPTION...]\n"
        "       quillorn --help | --version\n"
        "\n"
        "Views PostScript, EPS and PDF files and converts them to other formats with "
        "Ghostscript.\n"
        "\n"
        "  FILE, /VIEW:FILE  open FILE in the viewer\n"
        "  /CONVERT:FILE     show only the conversion dialog for FILE\n"
        "  --no-splash       start without the splash screen\n"
        "  --help            show this text and end\n"
        "  --version         show the version and end\n"
        "\n"
        "A print job on standard input shows only the conversion dialog for it.\n"
        "\n"
        "--convert converts each INPUT without a window (\"-\" reads a print job from\n"
        "standard input); the output goes beside it, named as the dialog proposes:\n"
        "  --format FORMAT   pdf (the default), png, jpeg, tiff, bmp, pcx, pnm, psd, eps,\n"
        "                    ps or pxl; without it, the --output name's extension decides\n"
        "  --device NAME     one of the format's Ghostscript devices, such as pnggray\n"
        "  --resolution N    dots per inch (72)\n"
        "  --output NAME     the output file; %d stands for the page number, %n for the\n"
        "                    input's name; a folder (or NAME/) takes the proposed names\n"
        "  --first N         from page N on\n"
        "  --last N          up to page N\n"
        "  --jobs N          at most N Ghostscript workers at a time\n"
        "  --password P      the password of an encrypted PDF\n"
        "  --force           replace existing output files (they are kept otherwise)\n"
        "  --unsafe          let the document read and write files (no -dSAFER)\n"
        "  --quiet           no progress\n"
        "  --verbose         Ghostscript's messages on standard error\n"
        "Exit status: 0 all converted, 1 some not (one line each on standard error),\n"
        "2 a usage error, 128+N stopped by signal N.\n");
}

QString versionLine() {
    return kAppTitle + u' ' + versionText() + u'\n';
}

OpenablePaths::OpenablePaths() = default;
OpenablePaths::~OpenablePaths() = default;

QString OpenablePaths::openable(const QByteArray& rawPath) {
    if (decodes(rawPath))
        return QFile::decodeName(rawPath);
    char resolved[PATH_MAX];
    if (::realpath(rawPath.constData(), resolved) == nullptr)
        return QFile::decodeName(rawPath);
    if (!folder_)
        folder_ = makePrivateFolder(QStringLiteral("quillorn"));
    if (!folder_)
        return QFile::decodeName(rawPath);
    QString link = QDir(folder_->path()).filePath(textName(rawPath));
    if (QFileInfo(link).isSymLink())
        QFile::remove(link);
    if (::symlink(resolved, QFile::encodeName(link).constData()) != 0)
        return QFile::decodeName(rawPath);
    return link;
}

QString OpenablePaths::outputBase(const QByteArray& rawPath) {
    if (decodes(rawPath))
        return {};
    const qsizetype slash = rawPath.lastIndexOf('/');
    QByteArray folder = slash < 0 ? QByteArray(".") : rawPath.left(std::max<qsizetype>(slash, 1));
    char resolved[PATH_MAX];
    if (::realpath(folder.constData(), resolved) != nullptr)
        folder = resolved;
    const QString home = QDir::homePath();
    return (decodes(folder) ? QFile::decodeName(folder) : home) + u'/' + textName(rawPath);
}

} // namespace quillorn::app
