#include "system/core/association.h"

#include "system/core/gio_handles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QThread>

namespace quillorn::system {

AssociationSetup DefaultAssociationSetup() {
    AssociationSetup setup;
    setup.applicationsDirectory =
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    setup.programPath = QCoreApplication::applicationFilePath();
    setup.iconAvailable = [](const QString& name) { return QIcon::hasThemeIcon(name); };
    return setup;
}

QString QuoteExecArgument(const QString& path) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
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

QString OpenCommand(const QString& programPath) {
    return QuoteExecArgument(programPath) + QStringLiteral(" /VIEW:%f");
}

QString ConvertCommand(const QString& programPath) {
    return QuoteExecArgument(programPath) + QStringLiteral(" /CONVERT:%f");
}

DefaultHandler CurrentPostScriptHandler() {
    const gio::AppInfo app(
        g_app_info_get_default_for_type(kPostScriptType.toUtf8().constData(), FALSE));
    if (!app)
        return {};
    return {gio::FromUtf8(g_app_info_get_commandline(app.get())),
            gio::FromUtf8(g_app_info_get_name(app.get()))};
}

namespace {

QString EntryPath(const AssociationSetup& setup) {
    return QDir(setup.applicationsDirectory).filePath(kDesktopId);
}

void SetString(GKeyFile* file, const char* group, const char* key, const QString& value) {
    g_key_file_set_string(file, group, key, value.toUtf8().constData());
}

// The desktop notices new entries through a file monitor of its own, a moment after they are
// written; until then the entry cannot be named by its id.
gio::DesktopAppInfo WaitForEntry(const AssociationSetup& setup) {
    const QString expected = QFileInfo(EntryPath(setup)).canonicalFilePath();
    const QDeadlineTimer deadline(setup.registrationWaitMs);
    for (;;) {
        gio::DesktopAppInfo info(g_desktop_app_info_new(kDesktopId.toUtf8().constData()));
        if (info && QFileInfo(gio::FromUtf8(g_desktop_app_info_get_filename(info.get())))
                            .canonicalFilePath() == expected)
            return info;
        if (deadline.hasExpired())
            return {};
        QThread::msleep(10);
    }
}

} // namespace

QString WriteDesktopEntry(const AssociationSetup& setup, const QString& iconName) {
    if (!QDir().mkpath(setup.applicationsDirectory))
        return QStringLiteral("cannot create the directory ") + setup.applicationsDirectory;
    const gio::KeyFile file(g_key_file_new());
    const char* entry = "Desktop Entry";
    const char* convert = "Desktop Action Convert";
    SetString(file.get(), entry, "Type", QStringLiteral("Application"));
    SetString(file.get(), entry, "Name", QStringLiteral("Quillorn"));
    SetString(file.get(), entry, "Comment",
              QStringLiteral("View and convert PostScript and PDF documents"));
    SetString(file.get(), entry, "Exec", OpenCommand(setup.programPath));
    SetString(file.get(), entry, "MimeType",
              kPostScriptType + QLatin1Char(';') + kEpsType + QLatin1Char(';'));
    if (!iconName.isEmpty())
        SetString(file.get(), entry, "Icon", iconName);
    SetString(file.get(), entry, "Terminal", QStringLiteral("false"));
    SetString(file.get(), entry, "Actions", QStringLiteral("Convert;"));
    SetString(file.get(), convert, "Name", QStringLiteral("Convert..."));
    SetString(file.get(), convert, "Exec", ConvertCommand(setup.programPath));

    GError* raw = nullptr;
    g_key_file_save_to_file(file.get(), QFile::encodeName(EntryPath(setup)).constData(), &raw);
    const gio::Error error(raw);
    return gio::Message(error);
}

QString MakeDefaultHandler(const AssociationSetup& setup) {
    const gio::DesktopAppInfo info = WaitForEntry(setup);
    if (!info)
        return QStringLiteral("the desktop does not see ") + EntryPath(setup);
    for (const QString& type : {kPostScriptType, kEpsType}) {
        GError* raw = nullptr;
        g_app_info_set_as_default_for_type(G_APP_INFO(info.get()), type.toUtf8().constData(), &raw);
        const gio::Error error(raw);
        if (error)
            return gio::Message(error);
    }
    return {};
}

void CheckAssociation(WindowServices& services, const AssociationSetup& setup) {
    const DefaultHandler current = CurrentPostScriptHandler();
    if (current.command.compare(OpenCommand(setup.programPath), Qt::CaseInsensitive) == 0)
        return;
    if (services.MsgBox(QStringLiteral("PostScript files are currently not associated with "
                                       "Quillorn. Would you like to associate .ps files with "
                                       "Quillorn?"),
                        mb::YesNo | mb::Question, QStringLiteral("Quillorn")) != mb::Yes)
        return;
    if (!current.command.isEmpty()) {
        services.MsgBox(QStringLiteral("PostScript files are currently associated with ") +
                            current.command + QStringLiteral(".\r\n\r\n") +
                            QStringLiteral("To associate Quillorn with them, open your file "
                                           "manager, choose 'Open With' on a PostScript file "
                                           "and pick Quillorn, or remove '") +
                            current.name +
                            QStringLiteral("' as the default application for PostScript files."),
                        mb::OkOnly | mb::Information, QStringLiteral("Quillorn"));
        return;
    }
    AssociateFiles(services, setup);
}

void AssociateFiles(WindowServices& services, const AssociationSetup& setup) {
    QString icon = setup.iconName;
    if (!setup.iconAvailable || !setup.iconAvailable(icon)) {
        services.MsgBox(QStringLiteral("System file containing icon not found, not putting icon!"),
                        mb::OkOnly | mb::Exclamation);
        icon.clear();
    }
    QString failure = WriteDesktopEntry(setup, icon);
    if (failure.isEmpty())
        failure = MakeDefaultHandler(setup);
    if (failure.isEmpty())
        services.MsgBox(QStringLiteral("All done!"), mb::OkOnly);
    else
        services.MsgBox(QStringLiteral("Could not associate PostScript files with Quillorn: ") +
                            failure,
                        mb::OkOnly | mb::Critical);
}

} // namespace quillorn::system
