#pragma once

#include "base/user_dialogs.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::system {

// "PostScript File": the two MIME types of .ps and .eps, the ones the program makes itself the
// default for.
inline const QString kPostScriptType = QStringLiteral("application/postscript");
inline const QString kEpsType = QStringLiteral("image/x-eps");
// Every type the desktop entry offers to open: PostScript, EPS and PDF, plain and gzipped
// (.ps.gz, .eps.gz, .pdf.gz as shared-mime-info names them).
inline const QStringList kHandledTypes = {kPostScriptType,
                                          kEpsType,
                                          QStringLiteral("application/pdf"),
                                          QStringLiteral("application/x-gzpostscript"),
                                          QStringLiteral("image/x-gzeps"),
                                          QStringLiteral("application/x-gzpdf")};
// The desktop entry that registers the program with the desktop: the package installs it, and
// the program writes one of the same id when there is no package.
inline const QString kDesktopId = QStringLiteral("org.quillorn.Quillorn.desktop");

struct AssociationSetup {
    QString applicationsDirectory; // the user's, where the desktop looks for entries
    QString programPath;           // absolute path of the running program
    QString iconName = QStringLiteral("quillorn"); // the icon the package installs
    // True when the icon theme has the icon.
    std::function<bool(const QString& iconName)> iconAvailable;
    // How long to wait for the desktop to notice a freshly written entry.
    int registrationWaitMs = 5000;
};

AssociationSetup defaultAssociationSetup();

// An argument quoted for a desktop entry's Exec line.
QString quoteExecArgument(const QString& argument);
// The Exec line that starts the program with switchText ("/VIEW:") and the file it is given,
// or with nothing at all when it is given none (a start from an application menu).
QString execLine(const QString& programPath, const QString& switchText);

// The desktop's default application for PostScript files; all texts empty when there is none.
struct DefaultHandler {
    QString id;      // its desktop id
    QString command; // its Exec line
    QString name;    // its Name
    QString file;    // its desktop entry file
};
DefaultHandler currentPostScriptHandler();

// Writes the desktop entry into the applications directory. iconName may be empty (no icon).
// The empty text on success, otherwise the reason.
QString writeDesktopEntry(const AssociationSetup& setup, const QString& iconName);
// Makes the written entry the default for PostScript and EPS, once the desktop sees it.
QString makeDefaultHandler(const AssociationSetup& setup);

// True when the handler is the program: an entry of the program's desktop id, the package's, or
// one in the user's applications directory whose Exec starts this very program (setup's
// programPath, links resolved). An entry the program wrote before it moved is none.
bool isThisProgram(const DefaultHandler& handler, const AssociationSetup& setup);

// Offers to associate PostScript files with the program when they are not already, until the
// user accepts or declines for good ("Settings"/"AskAssociation" in the store); an entry of the
// program's own that starts no longer this program is asked about too, and Yes rewrites it.
// Never replaces another program's default.
void checkAssociation(UserDialogs& dialogs, const AssociationSetup& setup, SettingsStore& store);
// Makes the program the default for PostScript and EPS: the packaged desktop entry when there is
// one, else an entry written into the user's applications directory. Says how it went.
void associateFiles(UserDialogs& dialogs, const AssociationSetup& setup);

} // namespace quillorn::system
