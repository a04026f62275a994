#include "system/core/file_association.h"

#include "base/settings_store.h"
#include "system/core/gio_handles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QThread>

namespace quillorn::system {

AssociationSetup defaultAssociationSetup() {
    AssociationSetup setup;
    setup.applicationsDirectory =
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    // The command the desktop entry names: the viewer runs in its place.
    const QString command = qEnvironmentVariable("QUILLORN_PROGRAM");
    setup.programPath =
        QFileInfo(command).isAbsolute() ? command : QCoreApplication::applicationFilePath();
    setup.iconAvailable = [](const QString& name) { return QIcon::hasThemeIcon(name); };
    return setup;
}

QString quoteExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        // A lone % would start a field code.
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString execLine(const QString& programPath, const QString& switchText) {
    // A menu start gives %f no file; the shell then leaves out the switch as well, where a bare
    // "<program> /VIEW:" would ask for a document with an empty name.
    const QString script =
        QStringLiteral("exec \"$0\" ${1:+\"") + switchText + QStringLiteral("$1\"}");
    return QStringLiteral("sh -c ") + quoteExecArgument(script) + QLatin1Char(' ') +
           quoteExecArgument(programPath) + QStringLiteral(" %f");
}

DefaultHandler currentPostScriptHandler() {
    const gio::AppInfo app(
        g_app_info_get_default_for_type(kPostScriptType.toUtf8().constData(), FALSE));
    if (!app)
        return {};
    return {gio::fromUtf8(g_app_info_get_id(app.get())),
            gio::fromUtf8(g_app_info_get_commandline(app.get())),
            gio::fromUtf8(g_app_info_get_name(app.get())),
            G_IS_DESKTOP_APP_INFO(app.get())
                ? gio::fromUtf8(g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app.get())))
                : QString()};
}

namespace {

// The program an Exec line starts: the one the program's own entries hand to "sh -c"
// (execLine), otherwise its first word.
QString execProgram(const QString& command) {
    gchar** argv = nullptr;
    gint argc = 0;
    if (!g_shell_parse_argv(command.toUtf8().constData(), &argc, &argv, nullptr))
        return {};
    QStringList args;
    for (gint i = 0; i < argc; ++i)
        args << QString::fromUtf8(argv[i]).replace(QStringLiteral("%%"), QStringLiteral("%"));
    g_strfreev(argv);
    if (args.size() >= 4 && args[0] == QLatin1String("sh") && args[1] == QLatin1String("-c"))
        return args[3];
    return args.value(0);
}

} // namespace

bool isThisProgram(const DefaultHandler& handler, const AssociationSetup& setup) {
    if (handler.id != kDesktopId)
        return false;
    const QString own = QFileInfo(setup.applicationsDirectory).canonicalFilePath();
    const QString file = QFileInfo(handler.file).canonicalFilePath();
    if (own.isEmpty() || !file.startsWith(own + QLatin1Char('/')))
        return true; // the package's entry: the package keeps it right
    QString program = execProgram(handler.command);
    if (!program.isEmpty() && !program.contains(QLatin1Char('/')))
        program = QStandardPaths::findExecutable(program);
    const QString started = program.isEmpty() ? QString() : QFileInfo(program).canonicalFilePath();
    return !started.isEmpty() && started == QFileInfo(setup.programPath).canonicalFilePath();
}

namespace {

QString entryPath(const AssociationSetup& setup) {
    return QDir(setup.applicationsDirectory).filePath(kDesktopId);
}

void setString(GKeyFile* file, const char* group, const char* key, const QString& value) {
    g_key_file_set_string(file, group, key, value.toUtf8().constData());
}

// The desktop notices new entries through a file monitor of its own, a moment after they are
// written; until then the entry cannot be named by its id.
gio::DesktopAppInfo waitForEntry(const AssociationSetup& setup) {
    const QString expected = QFileInfo(entryPath(setup)).canonicalFilePath();
    const QDeadlineTimer deadline(setup.registrationWaitMs);
    for (;;) {
        gio::DesktopAppInfo info(g_desktop_app_info_new(kDesktopId.toUtf8().constData()));
        if (info && QFileInfo(gio::fromUtf8(g_desktop_app_info_get_filename(info.get())))
                            .canonicalFilePath() == expected)
            return info;
        if (deadline.hasExpired())
            return {};
        QThread::msleep(10);
    }
}

} // namespace

QString writeDesktopEntry(const AssociationSetup& setup, const QString& iconName) {
    if (!QDir().mkpath(setup.applicationsDirectory))
        return QCoreApplication::translate("quillorn::system", "cannot create the directory ") +
               setup.applicationsDirectory;
    const gio::KeyFile file(g_key_file_new());
    const char* entry = "Desktop Entry";
    const char* convert = "Desktop Action Convert";
    setString(file.get(), entry, "Type", QStringLiteral("Application"));
    setString(file.get(), entry, "Name", QStringLiteral("Quillorn"));
    setString(file.get(), entry, "Comment",
              QStringLiteral("View and convert PostScript and PDF documents"));
    setString(file.get(), entry, "Exec", execLine(setup.programPath, QStringLiteral("/VIEW:")));
    setString(file.get(), entry, "MimeType", kHandledTypes.join(QLatin1Char(';')) + u';');
    if (!iconName.isEmpty())
        setString(file.get(), entry, "Icon", iconName);
    setString(file.get(), entry, "Terminal", QStringLiteral("false"));
    setString(file.get(), entry, "Actions", QStringLiteral("Convert;"));
    setString(file.get(), convert, "Name", QStringLiteral("Convert..."));
    setString(file.get(), convert, "Exec",
              execLine(setup.programPath, QStringLiteral("/CONVERT:")));

    GError* raw = nullptr;
    g_key_file_save_to_file(file.get(), QFile::encodeName(entryPath(setup)).constData(), &raw);
    const gio::Error error(raw);
    return gio::message(error);
}

namespace {

QString makeDefault(GDesktopAppInfo* info) {
    for (const QString& type : {kPostScriptType, kEpsType}) {
        GError* raw = nullptr;
        g_app_info_set_as_default_for_type(G_APP_INFO(info), type.toUtf8().constData(), &raw);
        const gio::Error error(raw);
        if (error)
            return gio::message(error);
    }
    return {};
}

// The entry the package installed: the desktop finds it outside the user's own directory.
gio::DesktopAppInfo packagedEntry(const AssociationSetup& setup) {
    gio::DesktopAppInfo info(g_desktop_app_info_new(kDesktopId.toUtf8().constData()));
    if (!info)
        return {};
    const QString file =
        QFileInfo(gio::fromUtf8(g_desktop_app_info_get_filename(info.get()))).canonicalFilePath();
    const QString own = QFileInfo(setup.applicationsDirectory).canonicalFilePath();
    if (!own.isEmpty() && file.startsWith(own + QLatin1Char('/')))
        return {};
    return info;
}

const QString kSettingsSection = QStringLiteral("Settings");
const QString kAskKey = QStringLiteral("AskAssociation");

} // namespace

QString makeDefaultHandler(const AssociationSetup& setup) {
    const gio::DesktopAppInfo info = waitForEntry(setup);
    if (!info)
        return QCoreApplication::translate("quillorn::system", "the desktop does not see ") +
               entryPath(setup);
    return makeDefault(info.get());
}

void checkAssociation(UserDialogs& dialogs, const AssociationSetup& setup, SettingsStore& store) {
    if (store.value(kSettingsSection, kAskKey)
            .compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return;
    // Whoever wrote the entry, the package or an earlier start, it is the program's own.
    const DefaultHandler current = currentPostScriptHandler();
    if (isThisProgram(current, setup))
        return;
    const CheckedAnswer answer = dialogs.askWithCheckBox(
        QCoreApplication::translate("quillorn::system",
                                    "PostScript files are currently not associated with Quillorn. "
                                    "Would you like to associate .ps files with Quillorn?"),
        QCoreApplication::translate("quillorn::system", "Don't ask again"), Buttons::YesNo,
        Icon::Question);
    if (answer.answer != Answer::Yes) {
        if (answer.checked)
            store.setValue(kSettingsSection, kAskKey, QStringLiteral("False"));
        return;
    }
    // The program's own entry that starts it no longer is rewritten; another program's stays.
    if (!current.command.isEmpty() && current.id != kDesktopId) {
        dialogs.message(
            QCoreApplication::translate("quillorn::system",
                                        "PostScript files are currently associated with ") +
                current.command + QCoreApplication::translate("quillorn::system", ".\r\n\r\n") +
                QCoreApplication::translate("quillorn::system",
                                            "To associate Quillorn with them, open your file "
                                            "manager, choose 'Open With' on a PostScript file "
                                            "and pick Quillorn, or remove '") +
                current.name +
                QCoreApplication::translate("quillorn::system",
                                            "' as the default application for PostScript files."),
            Icon::Information);
        return;
    }
    associateFiles(dialogs, setup);
}

void associateFiles(UserDialogs& dialogs, const AssociationSetup& setup) {
    QString failure;
    if (const gio::DesktopAppInfo packaged = packagedEntry(setup)) {
        failure = makeDefault(packaged.get());
    } else {
        QString icon = setup.iconName;
        if (!setup.iconAvailable || !setup.iconAvailable(icon)) {
            dialogs.message(
                QCoreApplication::translate(
                    "quillorn::system", "System file containing icon not found, not putting icon!"),
                Icon::Warning);
            icon.clear();
        }
        failure = writeDesktopEntry(setup, icon);
        if (failure.isEmpty())
            failure = makeDefaultHandler(setup);
    }
    if (failure.isEmpty())
        dialogs.message(QCoreApplication::translate("quillorn::system", "All done!"));
    else
        dialogs.message(
            QCoreApplication::translate("quillorn::system",
                                        "Could not associate PostScript files with Quillorn: ") +
                failure,
            Icon::Critical);
}

} // namespace quillorn::system
