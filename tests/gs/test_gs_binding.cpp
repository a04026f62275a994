#include "base/failure.h"
#include "base/message_log.h"
#include "gs/api.h"
#include "gs/runner.h"
#include "tests/support/runs.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace quillorn;

namespace {

// The stand-in library (a libgs whose calls are recorded and answered at will), opened a second
// time to reach its recording functions.
struct StandIn {
    void* handle = dlopen(STAND_IN_GS, RTLD_NOW);
    template <typename R, typename... A> R call(const char* name, A... args) {
        return reinterpret_cast<R (*)(A...)>(dlsym(handle, name))(args...);
    }
    QString text(const char* name) { return QString::fromUtf8(call<const char*>(name)); }
    ~StandIn() { dlclose(handle); }
};

// The messages of a run: one per piece of output, and the log they make.
struct RunMessages : MessageSink {
    QStringList pieces;
    MessageLog log;
    void addMessage(const QString& text) override { pieces << text, log.append(text); }
};

const QString kProgram = QStringLiteral("quillorn");

} // namespace

TEST(StandInLibrary, CallsInOrderAndMakesEveryPieceOfOutputAMessage) {
    StandIn standIn;
    ASSERT_NE(standIn.handle, nullptr);
    // new_instance, set_stdio and init_with_args answer these codes; the binding returns the
    // first failure and makes no call that it does not allow.
    const std::tuple<int, int, int, const char*> runs[] = {
        {-1, 0, 0, "new_instance"},
        {0, -1, 0, "new_instance,set_stdio,delete_instance"},
        {0, 0, -100, "new_instance,set_stdio,init_with_args,exit,delete_instance"},
        {0, 0, 0, "new_instance,set_stdio,init_with_args,exit,delete_instance"}};
    gs::Binding binding({QStringLiteral(STAND_IN_GS)});
    // Blanks and non-ASCII letters reach the library as one element of file-system bytes.
    const QStringList args = {kProgram, QStringLiteral("docs/Übersicht größe.ps")};
    RunMessages messages;
    for (const auto& [newRc, stdioRc, initRc, calls] : runs) {
        standIn.call<void>("standin_configure", newRc, stdioRc, initRc);
        messages.pieces.clear();
        EXPECT_EQ(test::runInProcess(binding, args, messages).code, newRc + stdioRc + initRc);
        EXPECT_EQ(standIn.text("standin_calls"), QLatin1String(calls));
    }
    EXPECT_EQ(standIn.text("standin_argv"), args.join(u'|') + u'|');
    EXPECT_NE(standIn.call<void*>("standin_caller_handle"), nullptr);
    // The empty piece makes a message too; a character split between pieces arrives whole.
    EXPECT_EQ(messages.pieces, QStringList({QStringLiteral("Stand-in Ghostscript 1.0\n"), QString(),
                                            QStringLiteral("Error: oops\n"), QStringLiteral("caf"),
                                            QStringLiteral("é!")}));
    for (const int i : {0, 1, 2, 3, 4}) // each piece counts as written
        EXPECT_EQ(standIn.call<int>("standin_callback_result", i),
                  (std::array{25, 0, 12, 4, 2})[i]);
    EXPECT_EQ(standIn.call<int>("standin_stdin_result"), 0); // standard input ends at once
    EXPECT_EQ(binding.revision().value().product, QStringLiteral("Stand-in Ghostscript"));
}

TEST(MissingLibrary, RevisionIsNothingAndARunFailsNamingTheLibrary) {
    const std::tuple<QString, FailureKind, const char*> libraries[] = {
        {QStringLiteral("libgs-not-here.so.99"), FailureKind::LibraryMissing, "libgs-not-here"},
        {QStringLiteral(BROKEN_GS), FailureKind::EntryPointMissing, "gsapi_new_instance"}};
    for (const auto& [library, kind, named] : libraries) {
        gs::Binding binding({library});
        EXPECT_FALSE(binding.revision());
        try {
            binding.run({kProgram}, {});
            ADD_FAILURE() << "no failure raised";
        } catch (const Failure& f) {
            EXPECT_TRUE(f.kind == kind && f.description.contains(QLatin1String(named)));
        }
    }
    // A library put in place later, as the installation check does, is found on the next use.
    const QString later = test::scratchDir() + QStringLiteral("/later/libgs.so.10");
    gs::Binding binding({later});
    EXPECT_FALSE(binding.revision());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(later).path()));
    ASSERT_TRUE(QFile::copy(QStringLiteral(STAND_IN_GS), later));
    EXPECT_TRUE(binding.revision());
}
