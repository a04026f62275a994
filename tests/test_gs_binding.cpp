#include "app/core/message_log.h"
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <vector>

using namespace quillorn;

namespace {

// Collects what AddMessage receives, one entry per call.
struct MessageRecorder {
    QStringList messages;
    MessageRecorder() {
        SetMessageHandler([this](const QString& m) { messages << m; });
    }
    ~MessageRecorder() { SetMessageHandler({}); }
};

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
    }
    void TearDown() override { gs::SetLibraryCandidates({}); }
    StandIn standIn;
    MessageRecorder recorder;
};

} // namespace

TEST_F(StandInBinding, SuccessfulRunCallsTheFunctionsInOrderWithWholeArguments) {
    standIn.Configure(0, 0, 0);
    // Blanks and non-ASCII letters reach the library as one element of file-system bytes.
    const QString path = QStringLiteral("/tmp/Übersicht größe.ps");
    EXPECT_TRUE(
        gs::RunGhostscript({QStringLiteral("gswin32c"), QStringLiteral("-dNOPAUSE"), path}));
    EXPECT_EQ(standIn.Calls(), QStringLiteral("new_instance,set_stdio,init_with_args,exit,"
                                              "delete_instance"));
    EXPECT_EQ(standIn.Argc(), 3);
    EXPECT_EQ(standIn.Argv(), QStringLiteral("gswin32c|-dNOPAUSE|") + path + u'|');
    EXPECT_EQ(standIn.CallerHandle(), nullptr);

    gs::RunGhostscript({QStringLiteral("gswin32c")});
    EXPECT_EQ(standIn.Argc(), 1);
}

TEST_F(StandInBinding, FailurePathsCallOnlyWhatTheyMay) {
    standIn.Configure(-1, 0, 0);
    EXPECT_FALSE(gs::RunGhostscript({QStringLiteral("gswin32c")}));
    EXPECT_EQ(standIn.Calls(), QStringLiteral("new_instance"));

    standIn.Configure(0, -1, 0);
    EXPECT_FALSE(gs::RunGhostscript({QStringLiteral("gswin32c")}));
    EXPECT_EQ(standIn.Calls(), QStringLiteral("new_instance,set_stdio,delete_instance"));

    standIn.Configure(0, 0, -100);
    EXPECT_FALSE(gs::RunGhostscript({QStringLiteral("gswin32c")}));
    EXPECT_EQ(standIn.Calls(), QStringLiteral("new_instance,set_stdio,init_with_args,exit,"
                                              "delete_instance"));
}

TEST_F(StandInBinding, CallbacksReturnTheirCountAndMakeOneMessageEach) {
    standIn.Configure(0, 0, 0);
    gs::RunGhostscript({QStringLiteral("gswin32c")});
    std::vector<int> results;
    for (int i = 0; i < 5; ++i)
        results.push_back(standIn.CallbackResult(i));
    EXPECT_EQ(results, (std::vector<int>{25, 0, 12, 4, 2}));
    EXPECT_EQ(standIn.StdinResult(), 0);
    // One message per write: the empty chunk included; a character split between two chunks
    // arrives whole with the second.
    ASSERT_EQ(recorder.messages.size(), 5);
    EXPECT_EQ(recorder.messages.mid(0, 3),
              (QStringList{"Stand-in Ghostscript 1.0\n", "", "Error: oops\n"}));
    EXPECT_EQ(recorder.messages[3] + recorder.messages[4], QStringLiteral("café!"));
}

TEST_F(StandInBinding, RevisionReportsTheProduct) {
    qint32 rev = 0, date = 0;
    QString product, notice;
    ASSERT_TRUE(gs::GetGhostscriptRevision(rev, date, product, notice));
    EXPECT_EQ(QStringLiteral("%1 %2 %3 %4").arg(rev).arg(date).arg(product, notice),
              QStringLiteral("1234 20240101 Stand-in Ghostscript no copyright"));
}

TEST(MissingLibrary, RevisionIsFalseAndRunRaisesNamingTheLibrary) {
    gs::SetLibraryCandidates({QStringLiteral("libgs-not-here.so.99")});
    qint32 rev = 7, date = 8;
    QString product = QStringLiteral("kept"), notice;
    EXPECT_FALSE(gs::GetGhostscriptRevision(rev, date, product, notice));
    EXPECT_EQ(rev, 7);
    EXPECT_EQ(product, QStringLiteral("kept"));
    try {
        gs::RunGhostscript({QStringLiteral("gswin32c")});
        ADD_FAILURE() << "no error raised";
    } catch (const gs::LibraryError& e) {
        EXPECT_EQ(e.Code(), gs::kErrLoadLibrary);
        EXPECT_TRUE(e.Description().contains(QStringLiteral("libgs-not-here.so.99")));
    }
    gs::SetLibraryCandidates({QStringLiteral(BROKEN_GS)});
    try {
        gs::RunGhostscript({QStringLiteral("gswin32c")});
        ADD_FAILURE() << "no error raised";
    } catch (const gs::LibraryError& e) {
        EXPECT_EQ(e.Code(), gs::kErrEntryPoint);
        EXPECT_TRUE(e.Description().contains(QStringLiteral("gsapi_new_instance")));
    }
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
    const bool ok = gs::RunGhostscript(
        {QStringLiteral("gswin32c"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
         QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=bmp16m"), QStringLiteral("-r75"),
         QStringLiteral("-dFirstPage=1"), QStringLiteral("-dLastPage=1"),
         QStringLiteral("-sOutputFile=") + bmp, ps});
    SetMessageHandler({});
    EXPECT_TRUE(ok);
    const QImage image(bmp);
    ASSERT_FALSE(image.isNull());
    // 200 x 100 points at 75 dpi.
    EXPECT_EQ(image.width(), 208);
    EXPECT_EQ(image.height(), 104);
    EXPECT_TRUE(log.Text().startsWith(QStringLiteral("\r\n") + product))
        << log.Text().toStdString();
    EXPECT_FALSE(log.Text().contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
}

TEST(RealGhostscript, ADocumentCannotTouchTheUsersTemporaryFiles) {
    gs::SetLibraryCandidates({});
    const QString tmp = QDir::tempPath();
    const QString victim = test::WriteFile(tmp + QStringLiteral("/victim.txt"), "precious");
    const QString target = tmp + QStringLiteral("/planted.txt");
    const QByteArray doc = "%!PS\n"
                           "{ (" +
                           QFile::encodeName(victim) +
                           ") deletefile } stopped pop\n"
                           "{ (" +
                           QFile::encodeName(target) +
                           ") (w) file dup (x) writestring "
                           "closefile } stopped pop\n"
                           "showpage\n";
    const QString ps = test::WriteFile(QStringLiteral("hostile.ps"), doc);
    const QString out = tmp + QStringLiteral("/hostile.bmp");
    gs::RunGhostscript({QStringLiteral("gswin32c"), QStringLiteral("-dNOPAUSE"),
                        QStringLiteral("-dBATCH"), QStringLiteral("-dSAFER"),
                        QStringLiteral("-sDEVICE=bmpmono"), QStringLiteral("-r10"),
                        QStringLiteral("-sOutputFile=") + out, ps});
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("precious"));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(QFile::exists(out));
    // The run's private directory is gone and TMPDIR is the caller's again.
    EXPECT_EQ(QDir::tempPath(), tmp);
    EXPECT_TRUE(QDir(tmp).entryList({QStringLiteral("quillorn-gs-*")}, QDir::Dirs).isEmpty());
}
