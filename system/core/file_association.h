#pragma once

#include "base/user_dialogs.h"

#include <QString>
#include <functional>

namespace quillorn::system {

// "PostScript File": the two MIME types of .ps and .eps.
inline const QString kPostScriptType = QStringLiteral("application/postscript");
inline const QString kEpsType = QStringLiteral("image/x-eps");
// The desktop entry that registers the program with the desktop.
inline const QString kDesktopId = QStringLiteral("org.quillorn.Quillorn.desktop");

struct AssociationSetup {
    QString applicationsDirectory; // the user's, where the desktop looks for entries
    QString programPath;           // absolute path of the running program
    QString iconName = QStringLiteral("x-office-document");
    // True when the icon theme has the icon.
    std::function<bool(const QString& iconName)> iconAvailable;
    // How long to wait for the desktop to notice a freshly written entry.
    int registrationWaitMs = 5000;
};

AssociationSetup defaultAssociationSetup();

// The program path quoted for a desktop entry's Exec line.
QString quoteExecArgument(const QString& path);
// "<program>" /VIEW:%f and "<program>" /CONVERT:%f
QString openCommand(const QString& programPath);
QString convertCommand(const QString& programPath);

// The desktop's default application for PostScript files; both texts empty when there is none.
struct DefaultHandler {
    QString command; // its Exec line
    QString name;    // its Name
};
DefaultHandler currentPostScriptHandler();

// Writes the desktop entry into the applications directory. iconName may be empty (no icon).
// The empty text on success, otherwise the reason.
QString writeDesktopEntry(const AssociationSetup& setup, const QString& iconName);
// Makes the entry the default for both types, once the desktop sees it.
QString makeDefaultHandler(const AssociationSetup& setup);

// Offers to associate PostScript files with the program when they are not already.
// Never replaces another program's default.
void checkAssociation(UserDialogs& dialogs, const AssociationSetup& setup);
// Registers the program for both types and makes it their default; says how it went.
void associateFiles(UserDialogs& dialogs, const AssociationSetup& setup);

} // namespace quillorn::system
