// The association in the scratch XDG directories, through the real GIO: the desktop's
// system-wide directories are pointed at empty scratch ones so that only what a test writes
// is seen.
#include "system/core/association.h"
#include "system/core/gio_handles.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QIcon>
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

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

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
        // A theme of our own with the document icon in it.
        const QString theme = root + QStringLiteral("/icons/quillorn-test");
        test::WriteFile(theme + QStringLiteral("/index.theme"),
                        "[Icon Theme]\nName=quillorn-test\nDirectories=scalable/mimetypes\n\n"
                        "[scalable/mimetypes]\nSize=48\nType=Scalable\nMinSize=8\nMaxSize=512\n");
        test::WriteFile(theme + QStringLiteral("/scalable/mimetypes/x-office-document.svg"),
                        "<svg xmlns='http://www.w3.org/2000/svg' width='48' height='48'>"
                        "<rect width='48' height='48'/></svg>");
        QIcon::setThemeSearchPaths({root + QStringLiteral("/icons")});
        QIcon::setThemeName(QStringLiteral("quillorn-test"));
    }

    void SetUp() override {
        applications = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        ASSERT_TRUE(applications.startsWith(test::ScratchDir()));
        QDir(applications).removeRecursively();
        QFile::remove(MimeAppsList());
        ASSERT_TRUE(WaitForDefault(QString())) << "a default is left from an earlier test";
        setup = DefaultAssociationSetup();
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

    const gio::DesktopAppInfo info(
        g_desktop_app_info_new_from_filename(QFile::encodeName(Entry()).constData()));
    ASSERT_TRUE(info);
    EXPECT_EQ(gio::FromUtf8(g_app_info_get_name(G_APP_INFO(info.get()))),
              QStringLiteral("Quillorn"));
    EXPECT_EQ(gio::FromUtf8(g_app_info_get_commandline(G_APP_INFO(info.get()))),
              QStringLiteral("\"") + setup.programPath + QStringLiteral("\" /VIEW:%f"));
    const gio::String icon(g_desktop_app_info_get_string(info.get(), "Icon"));
    EXPECT_EQ(gio::FromUtf8(icon.get()), QStringLiteral("x-office-document"));
    const gio::String convertName(g_desktop_app_info_get_action_name(info.get(), "Convert"));
    EXPECT_EQ(gio::FromUtf8(convertName.get()), QStringLiteral("Convert..."));
    EXPECT_TRUE(ReadText(Entry()).contains(QStringLiteral("Exec=\"") + setup.programPath +
                                           QStringLiteral("\" /CONVERT:%f")));

    EXPECT_EQ(DefaultId(kPostScriptType), kDesktopId);
    EXPECT_EQ(DefaultId(kEpsType), kDesktopId);
    EXPECT_EQ(CurrentPostScriptHandler().command, OpenCommand(setup.programPath));

    // The next start is silent.
    services.boxes.clear();
    CheckAssociation(services, setup);
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(AssociationTest, OurCommandInOtherLetterCaseCountsAsAssociated) {
    AssociationSetup upper = setup;
    upper.programPath = MakeProgram(setup.programPath.toUpper());
    AssociateFiles(services, upper);
    ASSERT_EQ(services.Prompts(), QStringList{QStringLiteral("All done!")});
    services.boxes.clear();
    CheckAssociation(services, setup);
    EXPECT_TRUE(services.boxes.empty());
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

    services.msgBoxAnswers = {mb::Yes};
    CheckAssociation(services, setup);
    ASSERT_EQ(
        services.Prompts(),
        (QStringList{kQuestion,
                     QStringLiteral("PostScript files are currently associated with ") + viewer +
                         QStringLiteral(" --page 1 %f.\r\n\r\nTo associate Quillorn "
                                        "with them, open your file manager, choose 'Open With' "
                                        "on a PostScript file and pick Quillorn, or remove "
                                        "'Other Viewer' as the default application for "
                                        "PostScript files.")}));
    EXPECT_EQ(services.boxes[1].style, mb::OkOnly | mb::Information);
    EXPECT_EQ(services.boxes[1].title, QStringLiteral("Quillorn"));
    EXPECT_FALSE(QFile::exists(Entry()));
    EXPECT_EQ(ReadText(MimeAppsList()), QString::fromUtf8(defaults));
    EXPECT_EQ(DefaultId(kPostScriptType), QStringLiteral("otherviewer.desktop"));
}

TEST_F(AssociationTest, DeclinedQuestionChangesNothing) {
    services.msgBoxAnswers = {mb::No};
    CheckAssociation(services, setup);
    EXPECT_EQ(services.Prompts(), QStringList{kQuestion});
    EXPECT_FALSE(QFile::exists(Entry()));
    EXPECT_FALSE(QFile::exists(MimeAppsList()));
    EXPECT_TRUE(DefaultId(kPostScriptType).isEmpty());
}

TEST_F(AssociationTest, MissingIconIsReportedAndLeftOut) {
    setup.iconName = QStringLiteral("quillorn-test-no-such-icon");
    services.msgBoxAnswers = {mb::Yes};
    CheckAssociation(services, setup);
    ASSERT_EQ(
        services.Prompts(),
        (QStringList{kQuestion,
                     QStringLiteral("System file containing icon not found, not putting icon!"),
                     QStringLiteral("All done!")}));
    EXPECT_EQ(services.boxes[1].style, mb::OkOnly | mb::Exclamation);
    EXPECT_FALSE(ReadText(Entry()).contains(QStringLiteral("Icon=")));
    EXPECT_EQ(DefaultId(kPostScriptType), kDesktopId);
}

TEST_F(AssociationTest, FailureIsReportedInsteadOfAllDone) {
    test::WriteFile(test::ScratchDir() + QStringLiteral("/not-a-directory"), "x");
    setup.applicationsDirectory = test::ScratchDir() + QStringLiteral("/not-a-directory/apps");
    services.msgBoxAnswers = {mb::Yes};
    CheckAssociation(services, setup);
    const QStringList prompts = services.Prompts();
    ASSERT_EQ(prompts.size(), 2);
    EXPECT_TRUE(prompts[1].startsWith(
        QStringLiteral("Could not associate PostScript files with Quillorn: ")));
    EXPECT_EQ(services.boxes[1].style, mb::OkOnly | mb::Critical);
    EXPECT_TRUE(DefaultId(kPostScriptType).isEmpty());
}

TEST(ExecQuotingTest, ProgramPathIsQuotedForTheExecLine) {
    EXPECT_EQ(OpenCommand(QStringLiteral("/opt/my apps/quillorn")),
              QStringLiteral("\"/opt/my apps/quillorn\" /VIEW:%f"));
    EXPECT_EQ(ConvertCommand(QStringLiteral("/opt/quillorn")),
              QStringLiteral("\"/opt/quillorn\" /CONVERT:%f"));
    // Characters that are special inside a quoted Exec argument, and a literal percent.
    EXPECT_EQ(QuoteExecArgument(QStringLiteral("/a\"b`c$d\\e%f")),
              QStringLiteral("\"/a\\\"b\\`c\\$d\\\\e%%f\""));
}

} // namespace
