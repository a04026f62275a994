#pragma once

#include "base/settings_store.h"
#include "gs/worker_runner.h"
#include "options/core/options_store.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"
#include "viewer/core/document_controller.h"
#include "viewer/page_view.h"

#include <QApplication>
#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <optional>
#include <utility>

namespace quillorn::test {

// The options of a first start: read from a store that holds nothing yet.
inline options::Options firstStartOptions() {
    return options::readOptions(SettingsStore(scratchDir() + QStringLiteral("/unwritten.ini")));
}

// A main window as the application builds one: the page view in the middle, the document over
// it, rendering in a Ghostscript worker with the real library (or the given library candidates).
struct ViewerHost {
    explicit ViewerHost(QSize size = QSize(800, 600), const QStringList& libraries = {}) {
        runner.setLibraryCandidates(libraries);
        window.setCentralWidget(view);
        view->setDocument(&document);
        QObject::connect(&document, &viewer::DocumentController::statusChanged, &window,
                         [this](const QString& text) { statuses << text; });
        QObject::connect(&document, &viewer::DocumentController::pageShown, &window,
                         [this](qint32 page, int count) { shown << std::pair(page, count); });
        window.resize(size);
        window.show();
        settle();
    }

    ScriptedDialogs dialogs;
    options::Options options = firstStartOptions();
    RecordingMessages messages;
    gs::WorkerRunner runner;
    QMainWindow window;
    viewer::PageView* view = new viewer::PageView(&window);
    viewer::DocumentController document{dialogs, options, messages, runner, *view};
    QStringList statuses;
    QList<std::pair<qint32, int>> shown; // page and count, as pageShown told them

    // The document's commands, each followed until its redraw has ended: the page shown, or the
    // failure put to the user.
    void loadFile(const QString& path) {
        drawn([&] { document.loadFile(path); });
    }
    void nextPage() {
        drawn([&] { document.nextPage(); });
    }
    void previousPage() {
        drawn([&] { document.previousPage(); });
    }
    void goToPage() {
        drawn([&] { document.goToPage(); });
    }
    void redraw() {
        drawn([&] { document.redraw(); });
    }
    void drawn(const std::function<void()>& command);

    QSize page() const { return view->picture().size(); }
    QScrollBar* hor() const { return view->horizontalScrollBar(); }
    QScrollBar* ver() const { return view->verticalScrollBar(); }
    bool barsEnabled() const { return hor()->isEnabled() || ver()->isEnabled(); }
    static void settle() { QApplication::processEvents(); } // as between two commands
};

inline void ViewerHost::drawn(const std::function<void()>& command) {
    command();
    (void)QTest::qWaitFor([this] { return !document.isRendering(); }, 30000);
}

// A PostScript document with page comments, one 200 x 100 point page for each letter, filled
// red, green, blue, yellow or black (R, G, B, Y, K); prolog and trailer go where their
// comments are.
inline QByteArray colourPages(const QByteArray& letters, const QByteArray& prolog = {},
                              const QByteArray& trailer = {}) {
    QByteArray doc = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(letters.size()) +
                     "\n%%EndComments\n%%BeginProlog\n<< /PageSize [200 100] >> setpagedevice\n"
                     "/pg { setrgbcolor 0 0 200 100 rectfill } bind def\n" +
                     prolog + "%%EndProlog\n";
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const char* rgb = letters[i] == 'R'   ? "1 0 0"
                          : letters[i] == 'G' ? "0 1 0"
                          : letters[i] == 'B' ? "0 0 1"
                          : letters[i] == 'Y' ? "1 1 0"
                                              : "0 0 0";
        doc += "%%Page: " + QByteArray::number(i + 1) + ' ' + QByteArray::number(i + 1) + '\n' +
               rgb + " pg showpage\n";
    }
    return doc + "%%Trailer\n" + trailer + "%%EOF\n";
}

// The letter of colourPages for a pixel's colour ('?' for others), in the middle of the page
// unless told.
inline char colourLetter(const QImage& page, std::optional<QPoint> at = std::nullopt) {
    const QColor c = page.pixelColor(at.value_or(QPoint(page.width() / 2, page.height() / 2)));
    for (const auto& [letter, colour] : {std::pair('R', QColor(Qt::red)),
                                         {'G', QColor(Qt::green)},
                                         {'B', QColor(Qt::blue)},
                                         {'Y', QColor(Qt::yellow)},
                                         {'K', QColor(Qt::black)}})
        if (c == colour)
            return letter;
    return '?';
}

} // namespace quillorn::test
