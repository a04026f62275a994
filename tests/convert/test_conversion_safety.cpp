// What a conversion may and may not do to the user's files: a stopped run leaves them as they
// were, a run that made no page leaves nothing, names are read one way, links are replaced
// rather than followed, and inputs that are no readable file are refused before Ghostscript.
#include "convert/core/output_files.h"
#include "tests/convert/conversion_fixture.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <sys/stat.h>

using namespace quillorn;
using namespace quillorn::convert;
using namespace quillorn::test;

namespace {

// Page 1, then a run that never ends.
const QByteArray kPageThenLoop = "%!PS\n<< /PageSize [200 100] >> setpagedevice\n"
                                 "20 20 60 60 rectfill showpage\n{} loop\n";

class ConversionSafety : public ConversionRun {
protected:
    QStringList entries() const {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    RunOutcome convert(const QString& from, int format, int choice, const QString& to) {
        return runConversion(settings(from, format, choice, to), options, context());
    }
};

} // namespace

TEST_F(ConversionSafety, AStoppedRunLeavesEveryFileAsItWas) {
    const QString job = writeFile(dir + QStringLiteral("/endless.ps"), kPageThenLoop);
    const QString pdf = writeFile(dir + QStringLiteral("/endless.pdf"), "my own PDF");
    const QString png = writeFile(dir + QStringLiteral("/endless-1.png"), "my own page");
    const QStringList before = entries();
    for (const auto& [format, output] :
         {std::pair{kFormatPdf, pdf}, {kFormatPng, dir + QStringLiteral("/endless-%d.png")}}) {
        dialogs.answers = {Answer::Yes}; // replace what stands there
        QTimer::singleShot(700, [this] { runner.stop(); });
        EXPECT_EQ(convert(job, format, 4, output), RunOutcome::KeepOpen);
        EXPECT_EQ(statusTexts.last(), QStringLiteral("Conversion stopped"));
    }
    EXPECT_EQ(readFile(pdf), QByteArray("my own PDF"));
    EXPECT_EQ(readFile(png), QByteArray("my own page"));
    EXPECT_EQ(entries(), before); // no new page, no temporary file
}

TEST_F(ConversionSafety, ARunThatMadeNoPageLeavesNothing) {
    const auto pdf = [this](const char* name, const QByteArray& body) {
        return writeFile(dir + u'/' + QLatin1String(name), body);
    };
    const QString good =
        writeTwoPagePdf(dir.mid(scratchDir().size() + 1) + QStringLiteral("/g.pdf"));
    QByteArray cut = readFile(good);
    cut.truncate(400); // before the first page's objects

    const QString cases[] = {
        pdf("zero.ps", "%!PS\n"),
        pdf("empty.ps", {}),
        pdf("cut.pdf", cut),
        pdf("zero.pdf", "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                        "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\ntrailer\n"
                        "<< /Root 1 0 R >>\n%%EOF\n"),
    };
    for (const QString& input : cases) {
        const QStringList before = entries();
        dialogs.boxes.clear();
        EXPECT_EQ(convert(input, kFormatPdf, -1, input + QStringLiteral(".out.pdf")),
                  RunOutcome::CloseDialog); // the question, answered No
        EXPECT_EQ(dialogs.texts(), QStringList{kConversionErrorPrompt}) << input.toStdString();
        EXPECT_EQ(entries(), before) << input.toStdString();
    }
    // A document that ends with `quit` made its page: that is a success.
    const QString quits = pdf("quits.ps", "%!PS\n20 20 60 60 rectfill showpage quit\n");
    dialogs.boxes.clear();
    EXPECT_EQ(convert(quits, kFormatPdf, -1, dir + QStringLiteral("/quits.pdf")),
              RunOutcome::CloseDialog);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(readFile(dir + QStringLiteral("/quits.pdf")).startsWith("%PDF"));
}

TEST_F(ConversionSafety, NamesLinksAndPagesWithoutAPlaceholder) {
    // Only %d and %0Nd number pages: "doc-%x.pdf" is a file of that name, not the input.
    const QString doc2 =
        writeTwoPagePostScript(dir.mid(scratchDir().size() + 1) + QStringLiteral("/doc-2.ps"));
    const QByteArray original = readFile(doc2);
    EXPECT_EQ(convert(doc2, kFormatPs, -1, dir + QStringLiteral("/doc-%x.ps")),
              RunOutcome::CloseDialog);
    EXPECT_EQ(readFile(doc2), original);
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/doc-%x.ps")));

    // A link planted at the output name is replaced, not written through.
    const QString victim = writeFile(dir + QStringLiteral("/victim.txt"), "keep me");
    const QString link = dir + QStringLiteral("/linked.pdf");
    QFile::link(victim, link);
    dialogs.answers = {Answer::Yes};
    EXPECT_EQ(convert(input, kFormatPdf, -1, link), RunOutcome::CloseDialog);
    EXPECT_EQ(readFile(victim), QByteArray("keep me"));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(QFileInfo(link).permissions() & QFile::WriteOther,
              (mask & S_IWOTH) ? QFile::Permissions() : QFile::WriteOther);

    // Saying No to replacing keeps the file and the dialog.
    dialogs.answers = {Answer::No};
    EXPECT_EQ(convert(input, kFormatPdf, -1, link), RunOutcome::KeepOpen);

    // A picture format without a placeholder: page 1 under the name, then name-2.
    EXPECT_EQ(convert(input, kFormatPng, 4, dir + QStringLiteral("/pic.png")),
              RunOutcome::CloseDialog);
    EXPECT_TRUE(readFile(dir + QStringLiteral("/pic.png")).startsWith("\x89PNG"));
    EXPECT_TRUE(readFile(dir + QStringLiteral("/pic-2.png")).startsWith("\x89PNG"));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/pic-3.png")));
}

TEST_F(ConversionSafety, InputsThatAreNoReadableFileAreRefusedBeforeGhostscript) {
    const QString fifo = dir + QStringLiteral("/pipe.ps");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = dir + QStringLiteral("/loop.ps");
    QFile::link(loop, loop);
    for (const QString& bad : {dir + QStringLiteral("/missing.ps"), dir, fifo, loop}) {
        const QStringList before = entries();
        dialogs.boxes.clear();
        EXPECT_EQ(convert(bad, kFormatPdf, -1, dir + QStringLiteral("/bad.pdf")),
                  RunOutcome::KeepOpen); // Abort
        ASSERT_EQ(dialogs.boxes.size(), 1u) << bad.toStdString();
        EXPECT_TRUE(dialogs.boxes[0].text.endsWith(QStringLiteral("Cannot read ") + bad +
                                                   QStringLiteral(" (75)")));
        EXPECT_EQ(entries(), before);
    }
    EXPECT_TRUE(messages.log.isEmpty()); // Ghostscript never ran
}
