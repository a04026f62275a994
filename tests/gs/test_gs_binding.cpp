#include "app/core/message_log.h"
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <array>
#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace quillorn;

namespace {

// The stand-in library, opened a second time to reach its recording functions.
struct StandIn {
    void* handle = dlopen(STAND_IN_GS, RTLD_NOW);
    template <typename Fn> Fn Get(const char* name) {
        return reinterpret_cast<Fn>(dlsym(handle, name));
    }
    void Configure(int newRc, int stdioRc, int initRc) {
        Get<void (*)(int, int, int)>("standin_configure")(newRc, stdioRc, initRc);
    }
    QString Calls() { return QString::fromLatin1(Get<const char* (*)()>("standin_calls")()); }
    QString Argv() { return QString::fromUtf8(Get<const char* (*)()>("standin_argv")()); }
    int Argc() { return Get<int (*)()>("standin_argc")(); }
    int CallbackResult(int i) { return Get<int (*)(int)>("standin_callback_result")(i); }
    int StdinResult() { return Get<int (*)()>("standin_stdin_result")(); }
    void* CallerHandle() { return Get<void* (*)()>("standin_caller_handle")(); }
    ~StandIn() { dlclose(handle); }
};

class StandInBinding : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(standIn.handle, nullptr);
        gs::SetLibraryCandidates({QStringLiteral(STAND_IN_GS)});
        SetMessageHandler([this](const QString& m) { messages << m; });
    }
    void TearDown() override {
        gs::SetLibraryCandidates({});
        SetMessageHandler({});
    }
    StandIn standIn;
    QStringList messages; // one entry per AddMessage call
};

} // namespace

TEST_F(StandInBinding, CallsInOrderWithWholeArgumentsAndOnlyWhatAFailureAllows) {
    standIn.Configure(0, 0, 0);
    // Blanks and non-ASCII letters reach the library as one element of file-system bytes.
    const QString path = QStringLiteral("docs/Übersicht größe.ps");
    EXPECT_TRUE(
        gs::RunGhostscript({QStringLiteral("gswin32c"), QStringLiteral("-dNOPAUSE"), path}));
    EXPECT_EQ(standIn.Calls(), "new_instance,set_stdio,init_with_args,exit,delete_instance");
    EXPECT_EQ(standIn.Argc(), 3);
    EXPECT_EQ(standIn.Argv(), QStringLiteral("gswin32c|-dNOPAUSE|") + path + u'|');
    EXPECT_EQ(standIn.CallerHandle(), nullptr);
    gs::RunGhostscript({QStringLiteral("gswin32c")});
    EXPECT_EQ(standIn.Argc(), 1);

    const std::tuple<int, int, int, const char*> failures[] = {
        {-1, 0, 0, "new_instance"},
        {0, -1, 0, "new_instance,set_stdio,delete_instance"},
        {0, 0, -100, "new_instance,set_stdio,init_with_args,exit,delete_instance"}};
    for (const auto& [newRc, stdioRc, initRc, calls] : failures) {
        standIn.Configure(newRc, stdioRc, initRc);
        EXPECT_FALSE(gs::RunGhostscript({QStringLiteral("gswin32c")}));
        EXPECT_EQ(standIn.Calls(), QLatin1String(calls));
    }
}

TEST_F(StandInBinding, CallbacksReturnTheirCountAndMakeOneMessageEach) {
    standIn.Configure(0, 0, 0);
    gs::RunGhostscript({QStringLiteral("gswin32c")});
    for (const int i : {0, 1, 2, 3, 4})
        EXPECT_EQ(standIn.CallbackResult(i), (std::array{25, 0, 12, 4, 2})[i]) << i;
    EXPECT_EQ(standIn.StdinResult(), 0);
    // The empty chunk makes a message too; a character split between chunks arrives whole.
    ASSERT_EQ(messages.size(), 5);
    EXPECT_EQ(messages.mid(0, 3), (QStringList{"Stand-in Ghostscript 1.0\n", "", "Error: oops\n"}));
    EXPECT_EQ(messages[3] + messages[4], QStringLiteral("café!"));

    qint32 rev = 0, date = 0;
    QString product, notice;
    ASSERT_TRUE(gs::GetGhostscriptRevision(rev, date, product, notice));
    EXPECT_EQ(QStringLiteral("%1 %2 %3 %4").arg(rev).arg(date).arg(product, notice),
              QStringLiteral("1234 20240101 Stand-in Ghostscript no copyright"));
}

TEST(MissingLibrary, RevisionIsFalseAndRunRaisesNamingTheLibrary) {
    const auto errorOf = [](const char* library) -> std::pair<int, QString> {
        gs::SetLibraryCandidates({QLatin1String(library)});
        try {
            gs::RunGhostscript({QStringLiteral("gswin32c")});
        } catch (const gs::LibraryError& e) {
            return {e.Code(), e.Description()};
        }
        return {0, QStringLiteral("no error raised")};
    };
    const auto [missing, missingText] = errorOf("libgs-not-here.so.99");
    EXPECT_EQ(missing, gs::kErrLoadLibrary);
    EXPECT_TRUE(missingText.contains(QLatin1String("libgs-not-here.so.99")));
    qint32 rev = 0, date = 0;
    QString product, notice;
    EXPECT_FALSE(gs::GetGhostscriptRevision(rev, date, product, notice));
    const auto [broken, brokenText] = errorOf(BROKEN_GS);
    EXPECT_EQ(broken, gs::kErrEntryPoint);
    EXPECT_TRUE(brokenText.contains(QLatin1String("gsapi_new_instance")));
    gs::SetLibraryCandidates({});
}

TEST(RealGhostscript, RendersAPageToBmpAndLogsTheBanner) {
    gs::SetLibraryCandidates({});
    MessageLog log;
    qint32 rev = 0, date = 0;
    QString product, notice;
    ASSERT_TRUE(gs::GetGhostscriptRevision(rev, date, product, notice)) << "libgs not installed";
    log.SetProductName(product);
    SetMessageHandler([&log](const QString& m) { log.Append(m); });
    const QString ps =
        test::WriteFile(QStringLiteral("real/page one.ps"), test::TwoPagePostScript());
    const QString bmp = QDir(test::ScratchDir()).filePath(QStringLiteral("real/out put.bmp"));
    const QStringList args =
        QStringLiteral("gswin32c -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bmp16m -r75 -dLastPage=1")
            .split(u' ');
    const bool ok =
        gs::RunGhostscript(args + QStringList{QStringLiteral("-sOutputFile=") + bmp, ps});
    SetMessageHandler({});
    EXPECT_TRUE(ok);
    EXPECT_EQ(QImage(bmp).size(), QSize(208, 104)); // 200 x 100 points at 75 dpi
    EXPECT_TRUE(log.Text().startsWith(QStringLiteral("\r\n") + product))
        << log.Text().toStdString();
    EXPECT_FALSE(log.Text().contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
}

TEST(RealGhostscript, ADocumentCannotTouchTheUsersTemporaryFiles) {
    gs::SetLibraryCandidates({});
    const QString tmp = QDir::tempPath();
    const QString victim = test::WriteFile(tmp + QStringLiteral("/victim.txt"), "precious");
    const QString planted = tmp + QStringLiteral("/planted.txt");
    const QString ps =
        test::WriteFile(QStringLiteral("hostile.ps"),
                        "%!PS\n{ (" + QFile::encodeName(victim) +
                            ") deletefile } stopped pop\n{ (" + QFile::encodeName(planted) +
                            ") (w) file dup (x) writestring closefile } stopped pop\nshowpage\n");
    const QString out = tmp + QStringLiteral("/hostile.bmp");
    gs::RunGhostscript(
        QStringLiteral("gswin32c -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bmpmono -r10").split(u' ')
        << QStringLiteral("-sOutputFile=") + out << ps);
    EXPECT_EQ(test::ReadFile(victim), QByteArray("precious"));
    EXPECT_FALSE(QFile::exists(planted));
    EXPECT_TRUE(QFile::exists(out));
    // The run's private directory is gone and TMPDIR is the caller's again.
    EXPECT_EQ(QDir::tempPath(), tmp);
    EXPECT_TRUE(test::TempLeftovers().isEmpty());
}
