// The association through the real GIO in scratch XDG folders; the system-wide folders are empty
// scratch ones too, so GIO sees only what a test writes.
#include "system/core/file_association.h"
#include "system/core/gio_handles.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

// GIO passes over entries whose program does not exist, so the programs are real files.
QString makeProgram(const QString& path) {
    test::writeFile(path, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

// Waits until GIO gives `id` as the default for the type (the empty text: none); GIO learns of
// changed files through a file monitor of its own, a moment later.
bool defaultBecomes(const QString& type, const QString& id) {
    for (const QDeadlineTimer deadline(5000);; QThread::msleep(10)) {
        const gio::AppInfo app(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
        if ((app ? gio::fromUtf8(g_app_info_get_id(app.get())) : QString()) == id)
            return true;
        if (deadline.hasExpired())
            return false;
    }
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
        QFile::remove(mimeApps);
        ASSERT_TRUE(defaultBecomes(kPostScriptType, QString())) << "a default is left over";
        setup = defaultAssociationSetup();
        // Stands for an icon theme that has the document icon.
        setup.iconAvailable = [](const QString& name) {
            return name == QLatin1String("x-office-document");
        };
        // With characters the entry must escape, or GIO would not find the program.
        setup.programPath =
            makeProgram(test::scratchDir() + QStringLiteral("/my \"best\" programs $1/Quillörn"));
    }

    QString entry() const { return applications + QLatin1Char('/') + kDesktopId; }
    test::ScriptedDialogs dialogs;
    AssociationSetup setup;
    QString applications;
    QString mimeApps;
};

TEST_F(AssociationTest, AcceptedOfferWritesAValidEntryAndMakesItTheDefault) {
    dialogs.answers = {Answer::Yes};
    checkAssociation(dialogs, setup);
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(dialogs.boxes[1].text, QStringLiteral("All done!"));

    const QByteArray written = test::readFile(entry());
    for (const char* part :
         {"\nIcon=x-office-document\n", "\nMimeType=application/postscript;image/x-eps;\n",
          "\" /CONVERT:%f\n"})
        EXPECT_TRUE(written.contains(part)) << part;
    EXPECT_TRUE(defaultBecomes(kPostScriptType, kDesktopId));
    EXPECT_TRUE(defaultBecomes(kEpsType, kDesktopId));

    // The next start finds its own open command and says nothing.
    dialogs.boxes.clear();
    checkAssociation(dialogs, setup);
    EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.texts().join(u'|').toStdString();
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
    checkAssociation(dialogs, setup);
    checkAssociation(dialogs, setup);
    EXPECT_TRUE(dialogs.texts().value(2).startsWith(
        QStringLiteral("PostScript files are currently associated with ") + viewer +
        QStringLiteral(" --page 1 %f.")));
    EXPECT_TRUE(dialogs.texts().value(2).contains(QStringLiteral("remove 'Other Viewer' as")));
    EXPECT_FALSE(QFile::exists(entry()));
    EXPECT_EQ(test::readFile(mimeApps), defaults);
}

TEST_F(AssociationTest, MissingIconIsLeftOutAndAFailureIsReported) {
    setup.iconName = QStringLiteral("quillorn-test-no-such-icon");
    associateFiles(dialogs, setup);
    EXPECT_EQ(
        dialogs.texts(),
        (QStringList{QStringLiteral("System file containing icon not found, not putting icon!"),
                     QStringLiteral("All done!")}));
    EXPECT_EQ(dialogs.boxes[0].icon, Icon::Warning);
    EXPECT_FALSE(test::readFile(entry()).contains("Icon="));

    // An entry that cannot be written is no "All done!".
    dialogs.boxes.clear();
    setup.applicationsDirectory =
        test::writeFile(QStringLiteral("file"), "x") + QStringLiteral("/apps");
    associateFiles(dialogs, setup);
    EXPECT_TRUE(dialogs.texts().last().startsWith(
        QStringLiteral("Could not associate PostScript files with Quillorn: ")));
}

} // namespace
