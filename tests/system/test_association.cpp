// The association through the real GIO in scratch XDG folders; the system-wide folders are empty
// scratch ones too, so GIO sees only what a test writes.
#include "base/settings_store.h"
#include "system/core/file_association.h"
#include "system/core/gio_handles.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

// GIO passes over entries whose program does not exist, so the programs are real files. Each
// writes the number of its arguments and the arguments, one a line, into "<itself>.args".
QString makeProgram(const QString& path) {
    test::writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.args\"\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

// GIO learns of changed files through a file monitor of its own, a moment later: waits up to
// five seconds for the condition.
bool eventually(const std::function<bool()>& condition) {
    for (const QDeadlineTimer deadline(5000); !condition(); QThread::msleep(10))
        if (deadline.hasExpired())
            return false;
    return true;
}

// GIO gives `id` as the default for the type (the empty text: none).
bool defaultBecomes(const QString& type, const QString& id) {
    return eventually([&] {
        const gio::AppInfo app(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
        return (app ? gio::fromUtf8(g_app_info_get_id(app.get())) : QString()) == id;
    });
}

// GIO no longer sees an entry of the program's id.
bool entryGone() {
    return eventually([] {
        return !gio::DesktopAppInfo(g_desktop_app_info_new(kDesktopId.toUtf8().constData()));
    });
}

class AssociationTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_DATA_DIRS", QFile::encodeName(test::scratchDir() + QStringLiteral("/sys")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(test::scratchDir() + QStringLiteral("/sys")));
        applications = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        mimeApps = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/mimeapps.list");
        ASSERT_TRUE(applications.startsWith(test::scratchDir()));
        QDir(applications).removeRecursively();
        // The folder stays: GIO watches it from the first look on.
        QDir().mkpath(systemApplications);
        QFile::remove(systemApplications + QLatin1Char('/') + kDesktopId);
        QFile::remove(mimeApps);
        ASSERT_TRUE(defaultBecomes(kPostScriptType, QString())) << "a default is left over";
        ASSERT_TRUE(entryGone()) << "an entry is left over";
        setup = defaultAssociationSetup();
        // Stands for an icon theme that has the program's icon.
        setup.iconAvailable = [](const QString& name) { return name == QLatin1String("quillorn"); };
        // With characters the entry must escape, or GIO would not find the program.
        setup.programPath =
            makeProgram(test::scratchDir() + QStringLiteral("/my \"best\" programs $1/Quillörn"));
    }

    QString entry() const { return applications + QLatin1Char('/') + kDesktopId; }
    const QString systemApplications = test::scratchDir() + QStringLiteral("/sys/applications");
    SettingsStore store{test::writeFile(QStringLiteral("association.ini"), {})};
    test::ScriptedDialogs dialogs;
    AssociationSetup setup;
    QString applications;
    QString mimeApps;
};

// Yes writes a valid entry and makes it the default; with the package installed the program
// writes none and recognises the package's as its own. The next start says nothing.
TEST_F(AssociationTest, AcceptedOfferMakesTheEntryTheDefault) {
    for (const bool packaged : {false, true}) {
        SCOPED_TRACE(packaged ? "packaged" : "own entry");
        if (packaged) {
            QFile::remove(entry());
            QFile::remove(mimeApps);
            ASSERT_TRUE(defaultBecomes(kPostScriptType, QString()) && entryGone());
            const QString installed = systemApplications + QLatin1Char('/') + kDesktopId;
            ASSERT_TRUE(QFile::copy(QStringLiteral(PACKAGED_DESKTOP_ENTRY), installed));
            // GIO learns of it a moment later.
            ASSERT_TRUE(eventually([&] {
                const gio::DesktopAppInfo info(
                    g_desktop_app_info_new(kDesktopId.toUtf8().constData()));
                return info &&
                       gio::fromUtf8(g_desktop_app_info_get_filename(info.get())) == installed;
            }));
        }
        dialogs.boxes.clear();
        dialogs.answers = {Answer::Yes};
        checkAssociation(dialogs, setup, store);
        const QByteArray written = test::readFile(entry());
        EXPECT_EQ(written.isEmpty(), packaged);
        EXPECT_TRUE(packaged || (written.contains("\nIcon=quillorn\n") &&
                                 written.contains("\nMimeType=application/postscript;image/x-eps;"
                                                  "application/pdf;application/x-gzpostscript;"
                                                  "image/x-gzeps;application/x-gzpdf;\n")));
        EXPECT_TRUE(defaultBecomes(kPostScriptType, kDesktopId));
        EXPECT_TRUE(defaultBecomes(kEpsType, kDesktopId));
        // PDF and the gzipped types are offered, not taken.
        EXPECT_FALSE(test::readFile(mimeApps).contains("pdf"));
        dialogs.boxes.clear();
        checkAssociation(dialogs, setup, store);
        EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.texts().join(u'|').toStdString();
    }
}

// Started from an application menu the entry gives the program no arguments at all; with a file,
// the switch and the file as one argument.
TEST_F(AssociationTest, WrittenEntryStartsPlainWithoutAFile) {
    ASSERT_EQ(writeDesktopEntry(setup, {}), QString());
    const gio::DesktopAppInfo app(
        g_desktop_app_info_new_from_filename(QFile::encodeName(entry()).constData()));
    ASSERT_TRUE(app);
    const QString record = setup.programPath + QStringLiteral(".args");
    const QString document = test::scratchDir() + QStringLiteral("/a $1 \"b\".ps");
    const gio::File file(g_file_new_for_path(QFile::encodeName(document).constData()));
    for (const bool withFile : {false, true}) {
        QFile::remove(record);
        GList files{file.get(), nullptr, nullptr};
        GError* raw = nullptr;
        g_app_info_launch(G_APP_INFO(app.get()), withFile ? &files : nullptr, nullptr, &raw);
        const gio::Error error(raw);
        ASSERT_FALSE(error) << gio::message(error).toStdString();
        QByteArray args;
        for (const QDeadlineTimer deadline(10000); !deadline.hasExpired() && args.isEmpty();
             QThread::msleep(10))
            args = test::readFile(record);
        EXPECT_EQ(QString::fromUtf8(args), withFile ? QStringLiteral("1\n/VIEW:") + document + u'\n'
                                                    : QStringLiteral("0\n"));
    }
}

// No with the box ticked is for good; No alone asks again at the next start.
TEST_F(AssociationTest, DeclinedForGoodIsNeverAskedAgain) {
    dialogs.answers = {Answer::No, Answer::No}, dialogs.checkAnswers = {false, true};
    for (int start = 0; start < 3; ++start)
        checkAssociation(dialogs, setup, store);
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("AskAssociation")),
              QStringLiteral("False"));
    EXPECT_FALSE(QFile::exists(entry()));
}

TEST_F(AssociationTest, AnotherProgramsDefaultIsNamedAndLeftAlone) {
    const QString viewer = makeProgram(test::scratchDir() + QStringLiteral("/bin/otherviewer"));
    test::writeFile(applications + QStringLiteral("/otherviewer.desktop"),
                    "[Desktop Entry]\nType=Application\nName=Other Viewer\nExec=" +
                        viewer.toUtf8() + " --page 1 %f\nMimeType=application/postscript;\n");
    // The user made it the default, as their file manager would have.
    const QByteArray defaults =
        "[Default Applications]\napplication/postscript=otherviewer.desktop\n";
    test::writeFile(mimeApps, defaults);
    ASSERT_TRUE(defaultBecomes(kPostScriptType, QStringLiteral("otherviewer.desktop")));

    // No changes nothing; Yes names the other program and changes nothing either.
    dialogs.answers = {Answer::No, Answer::Yes};
    checkAssociation(dialogs, setup, store);
    checkAssociation(dialogs, setup, store);
    EXPECT_TRUE(dialogs.texts().value(2).startsWith(
        QStringLiteral("PostScript files are currently associated with ") + viewer +
        QStringLiteral(" --page 1 %f.")));
    EXPECT_FALSE(QFile::exists(entry()));
    EXPECT_EQ(test::readFile(mimeApps), defaults);
}

// An entry the program wrote before it moved starts nothing: it is no association, the
// question comes again, and Yes rewrites the entry for the program where it is now.
TEST_F(AssociationTest, AnEntryOfAProgramThatMovedIsAskedAboutAgain) {
    AssociationSetup moved = setup;
    moved.programPath = makeProgram(test::scratchDir() + QStringLiteral("/old place/Quillorn"));
    ASSERT_EQ(writeDesktopEntry(moved, {}), QString());
    ASSERT_EQ(makeDefaultHandler(moved), QString());
    ASSERT_TRUE(defaultBecomes(kPostScriptType, kDesktopId));
    EXPECT_TRUE(isThisProgram(currentPostScriptHandler(), moved));
    QFile::remove(moved.programPath); // the program went elsewhere
    EXPECT_FALSE(isThisProgram(currentPostScriptHandler(), moved));
    EXPECT_FALSE(isThisProgram(currentPostScriptHandler(), setup));

    dialogs.answers = {Answer::Yes};
    checkAssociation(dialogs, setup, store);
    EXPECT_FALSE(test::readFile(entry()).contains("old place"));
    // Once GIO has read the rewritten entry, the next start asks nothing.
    eventually([&] { return isThisProgram(currentPostScriptHandler(), setup); });
    dialogs.boxes.clear();
    checkAssociation(dialogs, setup, store);
    EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.texts().join(u'|').toStdString();
}

TEST_F(AssociationTest, MissingIconIsLeftOutAndAFailureIsReported) {
    setup.iconAvailable = [](const QString&) { return false; }; // a theme without the icon
    associateFiles(dialogs, setup);
    EXPECT_EQ(dialogs.boxes.size(), 2u); // the missing icon, then done
    EXPECT_FALSE(test::readFile(entry()).contains("Icon="));

    // An entry that cannot be written is no "All done!".
    QFile::remove(entry());
    ASSERT_TRUE(entryGone());
    dialogs.boxes.clear();
    setup.applicationsDirectory =
        test::writeFile(QStringLiteral("file"), "x") + QStringLiteral("/apps");
    associateFiles(dialogs, setup);
    ASSERT_FALSE(dialogs.boxes.empty());
    EXPECT_TRUE(dialogs.boxes.back().text.startsWith(
        QStringLiteral("Could not associate PostScript files with Quillorn: ")));
}

} // namespace
