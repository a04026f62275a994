// Documents that go wrong, through the real redraw and conversions to PDF and PNG pages: the user
// gets the page or the "Error in conversion" question with what Ghostscript said, nothing is left
// in the temporary directory and no file but the chosen output changes.
#include "tests/integration/integration_host.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {
// Shows: the page (or the first output file) and no question. Prompts: the conversion question.
// Either: the question or the result, whichever the library makes of the document. Refuses: the
// file is named as unreadable before Ghostscript runs, and a conversion's dialog stays open.
enum class Expect { Shows, Prompts, Either, Refuses };
using enum Expect;

struct Case {
    const char* name;
    std::function<QString(const QString& dir)> make; // writes the document, returns its path
    qint32 page;
    Expect render, pdf, png;
    const char* mustLog = nullptr;
    // The first error Ghostscript reports: every question shows it, and a page drawn before it
    // is "Redrawn with errors".
    const char* said = nullptr;
};

// 200 inches square at 75 dpi: 15000 x 15000 pixels, 675 MB of bitmap.
QString hugePdf(const QString& dir) {
    return writePdfOf(writeSizedPostScript(dir + QStringLiteral("/huge.ps"), 14400, 14400),
                      dir + QStringLiteral("/huge.pdf"));
}

QString cutPdf(const QString& dir) {
    QString pdf = writeTwoPagePdf(dir + QStringLiteral("/whole.pdf"));
    QFile::resize(pdf, QFileInfo(pdf).size() / 3);
    return pdf;
}

QString errorOnPageTwo(const QString& dir) {
    return writeFile(dir + QStringLiteral("/page two fails.ps"),
                     twoPagePostScript().replace("%%Page: 2 2\n", "%%Page: 2 2\nnosuchoperator\n"));
}

// Reads the password file and plants a file in the user's temporary directory (both caught, so
// the rest is tried too), then deletes a file there, which Ghostscript's own temporary directory
// would allow.
QString snooper(const QString& dir) {
    const QByteArray temp = QFile::encodeName(QDir::tempPath());
    writeFile(QDir::temp().filePath(QStringLiteral("victim.txt")), "keep");
    return writeFile(dir + QStringLiteral("/snoop.ps"),
                     "%!PS\n{ (/etc/passwd) (r) file 64 string readstring pop print } stopped\n"
                     "{ (passwd refused\\n) print } { (passwd read\\n) print } ifelse flush\n{ (" +
                         temp +
                         "/planted.txt) (w) file dup (x) writestring closefile } stopped pop\n(" +
                         temp + "/victim.txt) deletefile (victim deleted\\n) print\n" +
                         "0 0 moveto 10 10 lineto stroke showpage\n");
}

const Case kCases[] = {
    {"EmptyFile", [](const QString& d) { return writeFile(d + QStringLiteral("/empty.ps"), {}); },
     1, Prompts, Prompts, Prompts},
    {"RandomBytes",
     [](const QString& d) {
         QByteArray noise(4096, '\0');
         QRandomGenerator(1234).generate(noise.begin(), noise.end());
         return writeFile(d + QStringLiteral("/noise.ps"), noise);
     },
     1, Prompts, Prompts, Prompts},
    {"PdfCutAtAThird", cutPdf, 1, Either, Either, Either},
    {"ErrorOnPageTwoPageOne", errorOnPageTwo, 1, Shows, Prompts, Prompts, nullptr,
     "/undefined in nosuchoperator"},
    {"ErrorOnPageTwoPageTwo", errorOnPageTwo, 2, Prompts, Prompts, Prompts, nullptr,
     "/undefined in nosuchoperator"},
    {"DirectoryNamedPs",
     [](const QString& d) {
         return QFileInfo(writeFile(d + QStringLiteral("/folder.ps/x"), {})).path();
     },
     1, Refuses, Refuses, Refuses},
    {"MissingFile", [](const QString& d) { return d + QStringLiteral("/not there.ps"); }, 1,
     Refuses, Refuses, Refuses},
    // Reading would wait for a writer that never comes, or never end.
    {"LinkToAPipe",
     [](const QString& d) {
         const QString pipe = d + QStringLiteral("/pipe");
         ::mkfifo(QFile::encodeName(pipe).constData(), 0600);
         QFile::link(pipe, d + QStringLiteral("/pipe.ps"));
         return d + QStringLiteral("/pipe.ps");
     },
     1, Refuses, Refuses, Refuses},
    {"LinkToItself",
     [](const QString& d) {
         QFile::link(d + QStringLiteral("/loop.ps"), d + QStringLiteral("/loop.ps"));
         return d + QStringLiteral("/loop.ps");
     },
     1, Refuses, Refuses, Refuses},
    {"Device", [](const QString&) { return QStringLiteral("/dev/zero"); }, 1, Refuses, Refuses,
     Refuses},
    {"BlanksQuotesNonAscii",
     [](const QString& d) {
         return writeFile(d + QStringLiteral("/it's a \"quoted\" dïr/Ünïcödé ‘doc’ ü.ps"),
                          twoPagePostScript());
     },
     1, Shows, Shows, Shows},
    {"SaferRefusesReadAndDelete", snooper, 1, Prompts, Prompts, Prompts, "passwd refused"},
    {"HugePage", hugePdf, 1, Either, Either, Either},
};

// Every file and folder below the scratch directory but the outputs, files with size and time.
QStringList snap() {
    // The settings store notes the output folder (for the sweep of what a killed run leaves).
    static const QRegularExpression outputs(QStringLiteral(
        "/out/(converted\\.pdf|page-\\d+\\.png)$|/config/Quillorn(/Quillorn\\.ini)?$"));
    QStringList entries;
    for (QDirIterator it(scratchDir(),
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo info = it.nextFileInfo();
        const qint64 modified = info.isDir() ? 0 : info.lastModified().toMSecsSinceEpoch();
        if (!outputs.match(info.filePath()).hasMatch())
            entries
                << QStringLiteral("%1 %2 %3").arg(info.filePath()).arg(info.size()).arg(modified);
    }
    return entries;
}

class BadInput : public ::testing::TestWithParam<Case> {};

TEST_P(BadInput, ShowsOrPromptsAndTouchesNothingElse) {
    const Case& c = GetParam();
    ViewerHost host;
    host.options.media = options::Paper::A4;
    const QString dir = scratchDir() + QStringLiteral("/cases/") + QLatin1String(c.name);
    QDir().mkpath(dir + QStringLiteral("/out"));
    const QString input = c.make(dir);
    // The boxes one action showed, against what was expected of it. A failed conversion may
    // still leave a file at the output name; a page view never shows a page and asks.
    const auto expectOutcome = [&](Expect expect, bool produced, bool exclusive) {
        SCOPED_TRACE(exclusive ? "redraw" : "conversion");
        const bool asked = !host.dialogs.boxes.empty();
        EXPECT_TRUE(expect == Either || asked == (expect != Shows));
        EXPECT_TRUE(asked || produced) << "neither a result nor the question";
        EXPECT_FALSE(asked && produced && (exclusive || expect == Shows));
        // A file that is no document is the user's situation: named, once, and no error to report.
        const QString box = expect != Refuses ? convert::kConversionErrorPrompt
                                              : QStringLiteral("Cannot read %1").arg(input);
        EXPECT_EQ(host.dialogs.texts(), QStringList(asked ? 1 : 0, box));
        EXPECT_FALSE(host.dialogs.titles().contains(QStringLiteral("Error (please report)")));
        if (asked && c.said) {
            EXPECT_EQ(host.dialogs.boxes[0].details, QLatin1String(c.said));
        }
        if (exclusive && expect == Shows) {
            EXPECT_EQ(host.statuses.last() == QLatin1String("Redrawn with errors, see File > Show "
                                                            "Messages"),
                      c.said != nullptr);
        }
        host.dialogs.boxes.clear();
        EXPECT_EQ(host.dialogs.busy, 0);
        EXPECT_EQ(tempLeftovers(), QStringList());
    };
    const auto convertTo = [&](int format, int choice, const QString& output, Expect expect) {
        SCOPED_TRACE(output.toStdString());
        // The question's default answer (No) lets the dialog close like a success.
        EXPECT_EQ(convertWith(host, input, format, choice, output),
                  expect == Refuses ? convert::RunOutcome::KeepOpen
                                    : convert::RunOutcome::CloseDialog);
        const QFileInfo first(convert::firstOutputName(output));
        expectOutcome(expect, first.isFile() && first.size() > 0, false);
    };

    const QStringList before = snap();
    host.loadFile(input);
    while (host.document.currentPage() < c.page) {
        host.dialogs.boxes.clear(); // the pages before it were fine
        host.nextPage();
    }
    expectOutcome(c.render, !host.view->picture().isNull(), true);
    convertTo(convert::kFormatPdf, -1, dir + QStringLiteral("/out/converted.pdf"), c.pdf);
    convertTo(convert::kFormatPng, 4, dir + QStringLiteral("/out/page-%d.png"), c.png);
    const QStringList after = snap();
    for (const QString& entry : before + after)
        EXPECT_TRUE(before.contains(entry) && after.contains(entry)) << entry.toStdString();
    EXPECT_FALSE(host.messages.log.contains(QStringLiteral("root:"))) << "the password was read";
    EXPECT_TRUE(c.render != Refuses || host.messages.log.isEmpty()) << "Ghostscript ran";
    EXPECT_TRUE(!c.mustLog || host.messages.log.contains(QLatin1String(c.mustLog)))
        << host.messages.log.toStdString();
    // Still running, and the library still works for the next document.
    host.loadFile(writeTwoPagePostScript(QStringLiteral("afterwards.ps")));
    EXPECT_FALSE(host.view->picture().isNull());
    EXPECT_TRUE(host.dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Documents, BadInput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
