// What a conversion may and may not do to the user's files: a stopped run leaves them as they
// were, a run that made no page leaves nothing, names are read one way, and links are replaced
// rather than followed.
#include "base/failure.h"
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

// Every name a run may write is one rule: each page's (placeholders in folder parts too) and the
// "name-N.ext" of pictures; the input and existing files are looked for among all of them.
TEST_F(ConversionSafety, EveryNameARunMayWriteIsCheckedBeforeItStarts) {
    const OutputFiles folders(QStringLiteral("/o/d%d/doc-%02d.ps"), false);
    EXPECT_EQ(folders.filesFor(2),
              (QStringList{QStringLiteral("/o/d1/doc-01.ps"), QStringLiteral("/o/d2/doc-02.ps")}));
    EXPECT_EQ(folders.pageOf(QStringLiteral("/o/d12/doc-12.ps")), 12);
    EXPECT_EQ(folders.pageOf(QStringLiteral("/o/d1/doc-02.ps")), std::nullopt);
    const OutputFiles pictures(QStringLiteral("/o/pic.png"), true);
    EXPECT_EQ(pictures.filesFor(3),
              (QStringList{QStringLiteral("/o/pic.png"), QStringLiteral("/o/pic-2.png"),
                           QStringLiteral("/o/pic-3.png")}));
    EXPECT_EQ(pictures.pageOf(QStringLiteral("/o/pic-1.png")), std::nullopt);
    EXPECT_EQ(OutputFiles(QStringLiteral("/o/pic.png"), false).filesFor(3),
              QStringList{QStringLiteral("/o/pic.png")});

    QByteArray three = "%!PS\n";
    for (int page = 1; page <= 3; ++page)
        three += "20 20 60 60 rectfill showpage\n";
    const auto refused = [this](const QString& from, int format, int choice, const QString& to,
                                const QString& clash) {
        dialogs.boxes.clear();
        const QByteArray before = readFile(from);
        EXPECT_EQ(convert(from, format, choice, to), RunOutcome::KeepOpen);
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        const QString text = dialogs.boxes.front().text;
        EXPECT_TRUE(text.contains(QStringLiteral("would overwrite")));
        EXPECT_TRUE(text.contains(clash)) << text.toStdString();
        EXPECT_EQ(readFile(from), before);
    };
    // Page 2 of "d%d/doc.ps" is d2/doc.ps, also through a link to its folder.
    for (const char* folder : {"/d1", "/d3"})
        QDir().mkpath(dir + QLatin1String(folder));
    const QString inFolder = writeFile(dir + QStringLiteral("/d2/doc.ps"), three);
    refused(inFolder, kFormatPs, -1, dir + QStringLiteral("/d%d/doc.ps"),
            dir + QStringLiteral("/d2/doc.ps"));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/d2"), dir + QStringLiteral("/link2")));
    refused(inFolder, kFormatPs, -1, dir + QStringLiteral("/link%d/doc.ps"),
            dir + QStringLiteral("/link2/doc.ps"));
    // A picture format without a placeholder writes page 2 to "pic-2.png".
    const QString picture = writeFile(dir + QStringLiteral("/pic-2.png"), three);
    refused(picture, kFormatPng, 4, dir + QStringLiteral("/pic.png"), picture);
    refused(picture, kFormatPng, 4, dir + QStringLiteral("/d1/../pic.png"),
            dir + QStringLiteral("/d1/../pic-2.png"));

    // Any existing file a run may write is asked about once, by the first one's name.
    const QString doc = writeFile(dir + QStringLiteral("/three.ps"), three);
    const QString third = writeFile(dir + QStringLiteral("/d3/three.png"), "my own page 3");
    dialogs.boxes.clear();
    dialogs.answers = {Answer::No};
    EXPECT_EQ(convert(doc, kFormatPng, 4, dir + QStringLiteral("/d%d/three.png")),
              RunOutcome::KeepOpen);
    EXPECT_EQ(
        dialogs.texts(),
        QStringList{
            QStringLiteral("The file %1 already exists. Do you want to replace it?").arg(third)});
    EXPECT_EQ(readFile(third), QByteArray("my own page 3"));
    dialogs.boxes.clear();
    dialogs.answers = {Answer::Yes};
    EXPECT_EQ(convert(doc, kFormatPng, 4, dir + QStringLiteral("/d%d/three.png")),
              RunOutcome::CloseDialog);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    for (const char* page : {"/d1/three.png", "/d2/three.png", "/d3/three.png"})
        EXPECT_TRUE(readFile(dir + QLatin1String(page)).startsWith("\x89PNG")) << page;
}

// Publishing is all or none: a page that cannot be put in place takes back those placed before
// it, and the files they replaced are there again.
TEST_F(ConversionSafety, APageThatCannotBePlacedTakesBackTheOthers) {
    const QString output = dir + QStringLiteral("/out-%d.txt");
    const QString first = writeFile(dir + QStringLiteral("/out-1.txt"), "old page 1");
    writeFile(dir + QStringLiteral("/out-2.txt/blocks"), "a folder stands at page 2's name");
    const QStringList before = entries();
    {
        OutputStaging staging(output, false);
        QString staged = staging.ghostscriptOutput();
        for (int page = 1; page <= 3; ++page)
            writeFile(QString(staged).replace(QStringLiteral("%d"), QString::number(page)),
                      "new page " + QByteArray::number(page));
        EXPECT_THROW(staging.publish(), Failure);
    }
    EXPECT_EQ(readFile(first), QByteArray("old page 1"));
    EXPECT_EQ(entries(), before); // no page 3, nothing kept aside, no staging
}
