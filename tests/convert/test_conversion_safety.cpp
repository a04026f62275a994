// What a conversion may and may not do to the user's files: a stopped run leaves them as they
// were, a run that made no page leaves nothing, names are read one way, and links are replaced
// rather than followed.
#include "convert/core/output_files.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/convert/convert_and_wait.h"

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
        return test::convertAndWait(settings(from, format, choice, to), options, context());
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
        QTimer::singleShot(700, &runner, [this] { runner.stop(); });
        EXPECT_EQ(convert(job, format, 4, output), RunOutcome::KeepOpen);
        EXPECT_EQ(statusTexts.last(), QStringLiteral("Conversion stopped"));
    }
    EXPECT_EQ(readFile(pdf), QByteArray("my own PDF"));
    EXPECT_EQ(readFile(png), QByteArray("my own page"));
    EXPECT_EQ(entries(), before); // no new page, no temporary file
}

// A run that made no page leaves nothing, and a file an earlier run left at the output name,
// replaced with Yes, is no success either: the conversion question, and the file as it was.
TEST_F(ConversionSafety, ARunThatMadeNoPageLeavesNothing) {
    const auto file = [this](const char* name, const QByteArray& body) {
        return writeFile(dir + u'/' + QLatin1String(name), body);
    };
    QByteArray cut = readFile(writeTwoPagePdf(dir + QStringLiteral("/g.pdf")));
    cut.truncate(400); // before the first page's objects
    const QString cases[] = {
        file("zero.ps", "%!PS\n"), // to pages under a pattern; the others to PDF
        file("empty.ps", {}),
        file("cut.pdf", cut),
        file("zero.pdf", "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                         "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\ntrailer\n"
                         "<< /Root 1 0 R >>\n%%EOF\n"),
    };
    for (const QString& input : cases) {
        const bool pages = input == cases[0];
        const QString output = input + (pages ? QStringLiteral("-%d.png") : QStringLiteral(".pdf"));
        const QString stale = writeFile(firstOutputName(output), "stale bytes");
        const QStringList before = entries();
        dialogs.boxes.clear();
        dialogs.answers = {Answer::Yes}; // replace it
        EXPECT_EQ(convert(input, pages ? kFormatPng : kFormatPdf, pages ? 4 : -1, output),
                  RunOutcome::CloseDialog); // the question, answered No
        EXPECT_EQ(dialogs.texts().value(1), kConversionErrorPrompt) << input.toStdString();
        EXPECT_EQ(dialogs.boxes.back().buttons, Buttons::YesNo);
        EXPECT_EQ(readFile(stale), QByteArray("stale bytes"));
        EXPECT_EQ(entries(), before) << input.toStdString();
    }
    // A document that ends with `quit` made its page, over an earlier file: that is a success.
    const QString quits = file("quits.ps", "%!PS\n20 20 60 60 rectfill showpage quit\n");
    dialogs.boxes.clear();
    dialogs.answers = {Answer::Yes};
    EXPECT_EQ(convert(quits, kFormatPdf, -1, cases[1] + QStringLiteral(".pdf")),
              RunOutcome::CloseDialog);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(readFile(cases[1] + QStringLiteral(".pdf")).startsWith("%PDF"));
}

TEST_F(ConversionSafety, NamesLinksAndPagesWithoutAPlaceholder) {
    // Only %d and %0Nd number pages: "doc-%x.pdf" is a file of that name, not the input.
    const QString doc2 = writeTwoPagePostScript(dir + QStringLiteral("/doc-2.ps"));
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
