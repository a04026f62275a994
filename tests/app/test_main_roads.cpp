// Main's four roads, driven in-process: real standard input (pipes and files), the real
// conversion dialog and main window, the real Ghostscript library. ScriptedServices answers the
// message boxes, and ending the program shows up as ProgramEnded.
#include "app/app_main.h"
#include "app/core/settings_store.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "options/core/options.h"
#include "tests/app/modal_watcher.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"
#include "viewer/document_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::app;

namespace {

// An open descriptor for Main's standard input, closed at the end of the scope.
class Input {
public:
    // A regular file holding bytes (a redirected `< file`).
    static Input FromBytes(const QByteArray& bytes) {
        static int counter = 0;
        const QString path =
            test::WriteFile(QStringLiteral("stdin/job%1.bin").arg(++counter), bytes);
        return Input(::open(QFile::encodeName(path).constData(), O_RDONLY));
    }
    static Input Nothing() { return Input(::open("/dev/null", O_RDONLY)); }
    explicit Input(int fd) : fd_(fd) {}
    Input(Input&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    ~Input() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool MainWindowExists() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmMain*>(w))
            return true;
    return false;
}

bool AnyWindowVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

QStringList KmwFiles() {
    return QDir(QDir::tempPath()).entryList({QStringLiteral("KMW*")}, QDir::Files);
}

// One start of the program: the scripted user, the messages window, and what the user does at
// the conversion dialog. The splash is clicked away.
struct Start {
    test::ScriptedServices services;
    MessagesHost messages{services};
    std::function<void(convert::frmConvert&)> atConvert;
    QStringList convertInputs;
    int splashes = 0;
    test::ModalWatcher watcher{[this](QWidget* w) {
        if (auto* splash = qobject_cast<frmSplash*>(w)) {
            ++splashes;
            QTest::mouseClick(splash->fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4));
        } else if (auto* convert = qobject_cast<convert::frmConvert*>(w)) {
            convertInputs << convert->strInputFile;
            if (atConvert)
                atConvert(*convert);
            if (convert->isVisible())
                convert->Command1->click();
        }
    }};

    Start() {
        options::TheOptions() = {};
        QFile::remove(SettingsStore().FileName());
    }

    // Runs Main; true when it ended the program.
    bool Run(const QStringList& arguments, int fd) {
        try {
            window = Main(arguments, fd, services, messages);
        } catch (const ProgramEnded&) {
            return true;
        }
        return false;
    }

    ~Start() {
        if (window)
            window->close();
    }

    std::unique_ptr<frmMain> window;
};

QByteArray RandomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(11);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(generator.bounded(256));
    return bytes;
}

QString Document() {
    return test::WriteFile(QStringLiteral("docs/two pages.ps"), test::TwoPagePostScript());
}

} // namespace

TEST(MainRoads, PrintJobShowsOnlyTheDialogForItsBytes) {
    const QStringList kmwBefore = KmwFiles();
    // Exactly one read buffer through a pipe, and several megabytes of binary data from a file.
    for (const qsizetype size : {qsizetype(10240), qsizetype(5 * 1024 * 1024 + 3)}) {
        const QByteArray job = RandomBytes(size);
        Start start;
        QByteArray seen;
        bool mainWindowDuringDialog = true;
        start.atConvert = [&](convert::frmConvert& dialog) {
            seen = ReadAll(dialog.strInputFile);
            mainWindowDuringDialog = MainWindowExists();
        };
        bool ended = false;
        if (size == 10240) {
            int fds[2];
            ASSERT_EQ(::pipe(fds), 0);
            ASSERT_EQ(::write(fds[1], job.constData(), job.size()), job.size());
            ::close(fds[1]);
            Input input(fds[0]);
            // A command line does not matter when a job arrives.
            ended = start.Run({QStringLiteral("/VIEW:whatever.ps")}, input.fd());
        } else {
            Input input = Input::FromBytes(job);
            ended = start.Run({}, input.fd());
        }
        EXPECT_TRUE(ended);
        ASSERT_EQ(start.convertInputs.size(), 1);
        EXPECT_TRUE(QFileInfo(start.convertInputs[0]).fileName().startsWith(QLatin1String("KMW")));
        EXPECT_EQ(seen.size(), job.size());
        EXPECT_TRUE(seen == job);
        EXPECT_FALSE(mainWindowDuringDialog);
        EXPECT_FALSE(QFile::exists(start.convertInputs[0]));
        EXPECT_FALSE(MainWindowExists());
        EXPECT_FALSE(AnyWindowVisible());
        EXPECT_EQ(start.messages.Existing(), nullptr);
        EXPECT_EQ(start.splashes, 0);
        EXPECT_TRUE(start.services.boxes.empty());
    }
    EXPECT_EQ(KmwFiles(), kmwBefore);
}

TEST(MainRoads, PrintJobConvertsToARealPdf) {
    Start start;
    const QString output = test::ScratchDir() + QStringLiteral("/printed job.pdf");
    start.atConvert = [&](convert::frmConvert& dialog) {
        dialog.txtOutput->setText(output);
        dialog.cmdConvert->click();
    };
    Input input = Input::FromBytes(test::TwoPagePostScript());
    EXPECT_TRUE(start.Run({}, input.fd()));
    const QByteArray pdf = ReadAll(output);
    ASSERT_FALSE(pdf.isEmpty()) << start.services.Prompts().join(u'|').toStdString();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/Count 2"));
    EXPECT_FALSE(QFile::exists(start.convertInputs.value(0)));
}

// A job that reads a file outside itself and prints what it found into Ghostscript's output.
TEST(MainRoads, StandaloneConversionsHonourTheStoredSaferChoice) {
    const QString secret =
        test::WriteFile(QStringLiteral("home/private/secret.txt"), "TOPSECRET42");
    const QByteArray job = "%!PS\n"
                           "{ (" +
                           QFile::encodeName(secret) +
                           ") (r) file 64 string readstring pop (LEAKED:) print print (\\n) print }"
                           " stopped { (READ-REFUSED\\n) print } if flush\n"
                           "72 72 moveto 100 100 rlineto stroke showpage\n";
    const auto convertAndReadLog = [&](const QString& storedSafer) {
        Start start;
        if (!storedSafer.isEmpty()) {
            SettingsStore store;
            store.SaveSetting(QStringLiteral("Options"), QStringLiteral("Safer"), storedSafer);
            store.Sync();
        }
        QString log;
        start.atConvert = [&](convert::frmConvert& dialog) {
            dialog.txtOutput->setText(test::ScratchDir() + QStringLiteral("/safer.pdf"));
            dialog.cmdConvert->click();
            log = start.messages.Get().Log();
        };
        Input input = Input::FromBytes(job);
        EXPECT_TRUE(start.Run({}, input.fd()));
        return log;
    };
    // Nothing stored: "Safer" defaults to True, and the read is refused.
    const QString safe = convertAndReadLog({});
    EXPECT_TRUE(safe.contains(QLatin1String("READ-REFUSED"))) << safe.toStdString();
    EXPECT_FALSE(safe.contains(QLatin1String("TOPSECRET42")));
    // The user's own choice of no safer mode is honoured too.
    const QString open = convertAndReadLog(QStringLiteral("False"));
    EXPECT_TRUE(open.contains(QLatin1String("LEAKED:TOPSECRET42"))) << open.toStdString();
}

TEST(MainRoads, ConvertSwitchShowsOnlyTheDialogAndLeavesTheStore) {
    Start start;
    {
        SettingsStore store;
        store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft"),
                          QStringLiteral("2000"));
        store.SaveSetting(QStringLiteral("DisplaySettings"), QStringLiteral("Resolution"),
                          QStringLiteral("150"));
        store.Sync();
    }
    const QString storePath = SettingsStore().FileName();
    const QByteArray storeBefore = ReadAll(storePath);
    const QDateTime modifiedBefore = QFileInfo(storePath).lastModified();
    const QString doc = Document();

    Input input = Input::Nothing();
    EXPECT_FALSE(start.Run({QStringLiteral("/CONVERT:") + doc}, input.fd()));
    EXPECT_EQ(start.window, nullptr);
    EXPECT_EQ(start.convertInputs, QStringList{doc});
    EXPECT_FALSE(MainWindowExists());
    EXPECT_FALSE(AnyWindowVisible());
    EXPECT_EQ(start.splashes, 0);
    EXPECT_TRUE(start.services.boxes.empty());
    EXPECT_EQ(ReadAll(storePath), storeBefore);
    EXPECT_EQ(QFileInfo(storePath).lastModified(), modifiedBefore);
    // The options were read for the conversion, not through any menu.
    EXPECT_EQ(options::TheOptions().Resolution, 150);
}

TEST(MainRoads, ViewSwitchRendersPageOneOfARealDocument) {
    const QString doc = Document();
    // Lower-case switch; the path holds a blank, so it arrives as two arguments.
    Start start;
    const QStringList arguments = (QStringLiteral("/view:") + doc).split(u' ');
    ASSERT_EQ(arguments.size(), 2);
    Input input = Input::Nothing();
    EXPECT_FALSE(start.Run(arguments, input.fd()));
    ASSERT_NE(start.window, nullptr);
    EXPECT_EQ(start.splashes, 1);
    EXPECT_TRUE(start.window->isVisible());
    EXPECT_EQ(start.window->strFile(), doc);
    EXPECT_EQ(start.window->picView->lngCurrentPage(), 1);
    const QImage page = start.window->picView->Picture();
    ASSERT_FALSE(page.isNull());
    // Page 1 is the blue square: blue pixels, no red ones.
    bool blue = false, red = false;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2) {
            const QColor c = page.pixelColor(x, y);
            blue |= c.blue() > 200 && c.red() < 60;
            red |= c.red() > 200 && c.blue() < 60;
        }
    EXPECT_TRUE(blue);
    EXPECT_FALSE(red);
    // The options were loaded before the document was rendered.
    EXPECT_EQ(options::TheOptions().Resolution, 75);
}

TEST(MainRoads, ViewSwitchTakesThePathAsItStands) {
    {
        // An empty path: the window opens and the redraw reports the failure.
        Start start;
        Input input = Input::Nothing();
        EXPECT_FALSE(start.Run({QStringLiteral("/VIEW:")}, input.fd()));
        ASSERT_NE(start.window, nullptr);
        EXPECT_TRUE(start.window->blnFileOpen());
        EXPECT_EQ(start.window->strFile(), QString());
        EXPECT_TRUE(start.window->picView->Picture().isNull());
    }
    {
        // Quotation marks are part of the path.
        Start start;
        const QString quoted = u'"' + Document() + u'"';
        Input input = Input::Nothing();
        EXPECT_FALSE(start.Run({QStringLiteral("/VIEW:") + quoted}, input.fd()));
        ASSERT_NE(start.window, nullptr);
        EXPECT_EQ(start.window->strFile(), quoted);
    }
}

TEST(MainRoads, InvalidCommandLinesAreReportedThenTheWindowOpens) {
    for (const QString& line :
         {Document(), QStringLiteral("C:\\docs\\a.ps"), QStringLiteral("no-colon-at-all"),
          QStringLiteral("/PRINT:") + Document()}) {
        Start start;
        bool windowShownAtMessage = true;
        start.services.onMsgBox = [&](const test::ScriptedServices::Box&) {
            if (start.services.boxes.size() == 1)
                windowShownAtMessage = MainWindowExists();
        };
        Input input = Input::Nothing();
        EXPECT_FALSE(start.Run(line.split(u' '), input.fd()));
        ASSERT_FALSE(start.services.boxes.empty());
        EXPECT_EQ(start.services.boxes[0].prompt, QStringLiteral("Invalid command line: ") + line);
        EXPECT_EQ(start.services.boxes[0].style, 0);
        EXPECT_EQ(start.services.boxes[0].title, QStringLiteral("Quillorn"));
        EXPECT_FALSE(windowShownAtMessage);
        ASSERT_NE(start.window, nullptr);
        EXPECT_TRUE(start.window->isVisible());
        EXPECT_FALSE(start.window->blnFileOpen());
    }
}

TEST(MainRoads, NothingAskedForOpensTheMainWindow) {
    Start start;
    Input input = Input::Nothing();
    EXPECT_FALSE(start.Run({}, input.fd()));
    ASSERT_NE(start.window, nullptr);
    EXPECT_EQ(start.window->StatusText(), QStringLiteral("Ready"));
    EXPECT_FALSE(start.window->blnFileOpen());
    EXPECT_TRUE(start.convertInputs.isEmpty());
    // Only the association question was asked.
    ASSERT_EQ(start.services.boxes.size(), 1u);
    EXPECT_TRUE(start.services.boxes[0].prompt.startsWith(QLatin1String("PostScript files")));
}
