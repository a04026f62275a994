// Documents that go wrong, through the real redraw and conversions to PDF and PNG pages: the user
// gets the page or the "Error in conversion" question, nothing is left in the temporary directory
// and no file but the chosen output changes.
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// Shows: the page (or the first output file) and no question. Prompts: the conversion question.
// Either: the question or the result, whichever the library makes of the document.
enum class Expect { Shows, Prompts, Either };
using enum Expect;

struct Case {
    const char* name;
    // Writes the document into the case's directory and returns its path.
    std::function<QString(const QString& dir)> make;
    qint32 page;
    Expect render, pdf, png;
    const char* mustLog = nullptr;
};

QString PdfFrom(const QString& ps) {
    const QString pdf = ps.chopped(3) + QStringLiteral(".pdf");
    gs::RunGhostscript(QStringLiteral("gs -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite").split(u' ')
                       << QStringLiteral("-sOutputFile=") + pdf << ps);
    QFile::remove(ps);
    return pdf;
}

QString CutPdf(const QString& dir) {
    const QString pdf = PdfFrom(WriteFile(dir + QStringLiteral("/whole.ps"), TwoPagePostScript()));
    QFile file(pdf);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(file.size() / 3))
        return {};
    return pdf;
}

QString ErrorOnPageTwo(const QString& dir) {
    return WriteFile(dir + QStringLiteral("/page two fails.ps"),
                     "%!PS\n<< /PageSize [200 100] >> setpagedevice\n"
                     "0 0 1 setrgbcolor 20 20 60 60 rectfill showpage\n"
                     "nosuchoperator showpage\n");
}

// Reads the password file (caught, so the delete is tried too), then deletes a file in the
// user's temporary directory, which Ghostscript's own temporary directory would allow.
QString Snooper(const QString& dir) {
    const QString victim = WriteFile(QDir::temp().filePath(QStringLiteral("victim.txt")), "keep");
    return WriteFile(dir + QStringLiteral("/snoop.ps"),
                     "%!PS\n{ (/etc/passwd) (r) file 64 string readstring pop print } stopped\n"
                     "{ (passwd refused\\n) print } { (passwd read\\n) print } ifelse flush\n(" +
                         QFile::encodeName(victim) + ") deletefile (victim deleted\\n) print\n" +
                         "0 0 moveto 10 10 lineto stroke showpage\n");
}

const Case kCases[] = {
    // An empty job still gives pdfwrite its blank page; no raster page is written.
    {"EmptyFile", [](const QString& d) { return WriteFile(d + QStringLiteral("/empty.ps"), {}); },
     1, Prompts, Shows, Prompts},
    {"RandomBytes",
     [](const QString& d) {
         QByteArray noise(4096, '\0');
         QRandomGenerator(1234).generate(noise.begin(), noise.end());
         return WriteFile(d + QStringLiteral("/noise.ps"), noise);
     },
     1, Prompts, Prompts, Prompts},
    {"PdfCutAtAThird", CutPdf, 1, Either, Either, Either},
    {"ErrorOnPageTwoPageOne", ErrorOnPageTwo, 1, Shows, Prompts, Prompts},
    {"ErrorOnPageTwoPageTwo", ErrorOnPageTwo, 2, Prompts, Prompts, Prompts},
    {"DirectoryNamedPs",
     [](const QString& d) { return QDir(d).mkdir("folder.ps") ? d + "/folder.ps" : QString(); }, 1,
     Prompts, Prompts, Prompts},
    {"MissingFile", [](const QString& d) { return d + QStringLiteral("/not there.ps"); }, 1,
     Prompts, Prompts, Prompts},
    {"BlanksQuotesNonAscii",
     [](const QString& d) {
         return WriteFile(d + QStringLiteral("/it's a \"quoted\" dïr/Ünïcödé ‘doc’ ü.ps"),
                          TwoPagePostScript());
     },
     1, Shows, Shows, Shows},
    {"SaferRefusesReadAndDelete", Snooper, 1, Prompts, Prompts, Prompts, "passwd refused"},
    // 200 inches square at 75 dpi: 15000 x 15000 pixels, 675 MB of bitmap.
    {"HugePage",
     [](const QString& d) {
         return PdfFrom(WriteSizedPostScript(d + QStringLiteral("/huge.ps"), 14400, 14400));
     },
     1, Either, Either, Either},
};

// Every file and folder below the scratch directory but the outputs, with size and time.
QStringList Snap(const QRegularExpression& outputs) {
    QStringList snap;
    QDirIterator it(ScratchDir(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const bool dir = info.isDir();
        if (!outputs.match(info.filePath()).hasMatch())
            snap << QStringLiteral("%1 %2 %3")
                        .arg(info.filePath())
                        .arg(dir ? -1 : info.size())
                        .arg(dir ? 0 : info.lastModified().toMSecsSinceEpoch());
    }
    return snap;
}

class BadInput : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        host.options.Media = 2; // A4
        dir = ScratchDir() + QStringLiteral("/cases/") + QLatin1String(GetParam().name);
        QDir().mkpath(dir + QStringLiteral("/out"));
    }

    // The boxes one action showed, against what was expected of it. A failed conversion may
    // still leave a file at the output name; a page view never shows a page and asks.
    void ExpectBoxes(Expect expect, bool produced, bool exclusive, const char* what) {
        SCOPED_TRACE(what);
        const auto boxes = std::exchange(host.services.boxes, {});
        const bool asked = !boxes.empty();
        if (expect != Expect::Either) {
            EXPECT_EQ(asked, expect == Expect::Prompts);
        }
        EXPECT_TRUE(asked || produced) << "neither a result nor the question";
        if (exclusive || expect == Expect::Shows) {
            EXPECT_FALSE(asked && produced);
        }
        if (asked) {
            ASSERT_EQ(boxes.size(), 1u) << boxes[1].prompt.toStdString();
            EXPECT_EQ(boxes[0].prompt, convert::kConversionErrorPrompt);
            EXPECT_EQ(boxes[0].title, kConversionTitle);
            EXPECT_EQ(boxes[0].style, mb::YesNo | mb::Information);
        }
        EXPECT_FALSE(host.services.busy);
        EXPECT_TRUE(TempLeftovers().isEmpty()) << TempLeftovers().join(u' ').toStdString();
    }

    void Convert(const QString& input, int format, int choice, const QString& output, Expect expect,
                 const char* what) {
        const convert::ConvertSettings settings{
            input, format, choice, QString(), QStringLiteral("72"), 2, 2, output};
        convert::RunOutcome outcome = convert::RunOutcome::KeepOpen;
        EXPECT_NO_THROW(outcome = convert::RunConversion(settings, false, host.options,
                                                         host.services, [](const QString&) {}));
        // The question's default answer (No) lets the dialog close like a success.
        EXPECT_EQ(outcome, convert::RunOutcome::CloseDialog) << what;
        const QFileInfo first(convert::FirstOutputName(output));
        ExpectBoxes(expect, first.isFile() && first.size() > 0, false, what);
    }

    ViewerHost host;
    QString dir;
};

TEST_P(BadInput, ShowsOrPromptsAndTouchesNothingElse) {
    const Case& c = GetParam();
    const QString input = c.make(dir);
    const QString pdf = dir + QStringLiteral("/out/converted.pdf");
    const QString pages = dir + QStringLiteral("/out/page-%d.png");
    const QRegularExpression outputs(
        QStringLiteral("^%1(/converted\\.pdf|/page-\\d+\\.png)$")
            .arg(QRegularExpression::escape(dir + QStringLiteral("/out"))));
    const qsizetype logStart = host.messages.Get().Log().size();
    const QStringList before = Snap(outputs);
    EXPECT_NO_THROW(host.view->LoadFile(input));
    while (host.view->lngCurrentPage() < c.page) {
        host.services.boxes.clear(); // the pages before it were fine
        EXPECT_NO_THROW(host.view->NextPage());
    }
    const QImage shown = host.view->Picture();
    ExpectBoxes(c.render, !shown.isNull(), true, "redraw");
    Convert(input, convert::kFormatPdf, -1, pdf, c.pdf, "to PDF");
    Convert(input, convert::kFormatPng, 4, pages, c.png, "to PNG pages");
    const QStringList after = Snap(outputs);
    for (const QString& entry : before + after)
        EXPECT_TRUE(before.contains(entry) && after.contains(entry)) << entry.toStdString();
    const QString log = host.messages.Get().Log().mid(logStart);
    EXPECT_FALSE(log.contains(QStringLiteral("root:"))) << "the password file was read";
    if (c.mustLog) {
        EXPECT_TRUE(log.contains(QLatin1String(c.mustLog))) << log.toStdString();
    }
    // Still running, and the library still works for the next document.
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("afterwards.ps")));
    EXPECT_FALSE(host.view->Picture().isNull());
    EXPECT_TRUE(host.services.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Documents, BadInput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
