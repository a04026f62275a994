// The association in scratch XDG directories through the real GIO; the system-wide directories
// are empty scratch ones, so only what a test writes is seen.
#include "system/core/association.h"
#include "system/core/gio_handles.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

const QString kQuestion = QStringLiteral(
    "PostScript files are currently not associated with Quillorn. Would you like to associate "
    ".ps files with Quillorn?");

// GIO passes over entries whose program does not exist, so the programs are real files.
QString MakeProgram(const QString& path) {
    test::WriteFile(path, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

// The desktop id GIO gives as the default for a type, or the empty text.
QString DefaultId(const QString& type) {
    const gio::AppInfo app(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
    return app ? gio::FromUtf8(g_app_info_get_id(app.get())) : QString();
}

// GIO learns of changed files through its own file monitor, a moment later.
bool WaitForDefault(const QString& id) {
    const QDeadlineTimer deadline(5000);
    while (DefaultId(kPostScriptType) != id) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

class AssociationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString root = test::ScratchDir();
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root + QStringLiteral("/system-data")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + QStringLiteral("/system-config")));
    }

    void SetUp() override {
        applications = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        ASSERT_TRUE(applications.startsWith(test::ScratchDir()));
        QDir(applications).removeRecursively();
        QFile::remove(MimeAppsList());
        ASSERT_TRUE(WaitForDefault(QString())) << "a default is left from an earlier test";
        setup = DefaultAssociationSetup();
        // Stands for an icon theme that has the document icon.
        setup.iconAvailable = [](const QString& name) { return name == "x-office-document"; };
        setup.programPath =
            MakeProgram(test::ScratchDir() + QStringLiteral("/my programs/Quillörn"));
    }

    QString Entry() const { return applications + QStringLiteral("/quillorn.desktop"); }
    static QString MimeAppsList() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/mimeapps.list");
    }

    test::ScriptedServices services;
    AssociationSetup setup;
    QString applications;
};

TEST_F(AssociationTest, AcceptedAssociationWritesAValidEntryAndMakesItTheDefault) {
    services.msgBoxAnswers = {mb::Yes};
    CheckAssociation(services, setup);
    ASSERT_EQ(services.Prompts(), (QStringList{kQuestion, QStringLiteral("All done!")}));
    EXPECT_EQ(services.boxes[0].style, mb::YesNo | mb::Question);
    EXPECT_EQ(services.boxes[0].title, QStringLiteral("Quillorn"));
    EXPECT_EQ(services.boxes[1].style, mb::OkOnly);

    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {Entry()});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    const QString entry = test::ReadFile(Entry());
    for (const QString& line :
         {QStringLiteral("Name=Quillorn"), QStringLiteral("Icon=x-office-document"),
          QStringLiteral("MimeType=application/postscript;image/x-eps;"),
          QStringLiteral("Name=Convert..."),
          QStringLiteral("Exec=\"") + setup.programPath + QStringLiteral("\" /CONVERT:%f")})
        EXPECT_TRUE(entry.contains(u'\n' + line + u'\n')) << line.toStdString();
    EXPECT_EQ(DefaultId(kEpsType), kDesktopId);
    // The next start finds our open command and is silent, also when it differs in letter case.
    services.boxes.clear();
    CheckAssociation(services, setup);
    AssociationSetup upper = setup;
    upper.programPath = setup.programPath.toUpper();
    CheckAssociation(services, upper);
    EXPECT_TRUE(services.boxes.empty());
    // Characters special inside a quoted Exec argument are escaped.
    EXPECT_EQ(OpenCommand(QStringLiteral("/a\"b`c$d\\e%f")),
              QStringLiteral("\"/a\\\"b\\`c\\$d\\\\e%%f\" /VIEW:%f"));
}

TEST_F(AssociationTest, ForeignDefaultIsNamedAndLeftAlone) {
    const QString viewer = MakeProgram(test::ScratchDir() + QStringLiteral("/bin/otherviewer"));
    test::WriteFile(applications + QStringLiteral("/otherviewer.desktop"),
                    "[Desktop Entry]\nType=Application\nName=Other Viewer\nExec=" +
                        viewer.toUtf8() + " --page 1 %f\nMimeType=application/postscript;\n");
    // The user made it the default, as their file manager would have.
    const QByteArray defaults =
        "[Default Applications]\napplication/postscript=otherviewer.desktop\n";
    test::WriteFile(MimeAppsList(), defaults);
    ASSERT_TRUE(WaitForDefault(QStringLiteral("otherviewer.desktop")));

    // No changes nothing; Yes names the other program and changes nothing either.
    services.msgBoxAnswers = {mb::No, mb::Yes};
    CheckAssociation(services, setup);
    CheckAssociation(services, setup);
    ASSERT_EQ(
        services.Prompts(),
        (QStringList{kQuestion, kQuestion,
                     QStringLiteral("PostScript files are currently associated with ") + viewer +
                         QStringLiteral(" --page 1 %f.\r\n\r\nTo associate Quillorn "
                                        "with them, open your file manager, choose 'Open With' "
                                        "on a PostScript file and pick Quillorn, or remove "
                                        "'Other Viewer' as the default application for "
                                        "PostScript files.")}));
    EXPECT_EQ(services.boxes[2].style, mb::OkOnly | mb::Information);
    EXPECT_EQ(services.boxes[2].title, QStringLiteral("Quillorn"));
    EXPECT_FALSE(QFile::exists(Entry()));
    EXPECT_EQ(test::ReadFile(MimeAppsList()), defaults);
}

TEST_F(AssociationTest, MissingIconIsLeftOutAndAFailureIsReported) {
    setup.iconName = QStringLiteral("quillorn-test-no-such-icon");
    AssociateFiles(services, setup);
    EXPECT_EQ(
        services.Prompts(),
        (QStringList{QStringLiteral("System file containing icon not found, not putting icon!"),
                     QStringLiteral("All done!")}));
    EXPECT_EQ(services.boxes[0].style, mb::OkOnly | mb::Exclamation);
    EXPECT_FALSE(test::ReadFile(Entry()).contains("Icon="));

    // An entry that cannot be written is no "All done!".
    services.boxes.clear();
    test::WriteFile(test::ScratchDir() + QStringLiteral("/not-a-directory"), "x");
    setup.applicationsDirectory = test::ScratchDir() + QStringLiteral("/not-a-directory/apps");
    AssociateFiles(services, setup);
    ASSERT_EQ(services.boxes.size(), 2u);
    EXPECT_TRUE(services.boxes[1].prompt.startsWith(
        QStringLiteral("Could not associate PostScript files with Quillorn: ")));
    EXPECT_EQ(services.boxes[1].style, mb::OkOnly | mb::Critical);
}

} // namespace
