#pragma once

#include "base/message_log.h"
#include "base/settings_store.h"
#include "gs/worker_runner.h"
#include "options/core/options_store.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"
#include "viewer/core/document_controller.h"
#include "viewer/page_view.h"

#include <QApplication>
#include <QMainWindow>
#include <QRegularExpression>
#include <QScrollBar>
#include <functional>

namespace quillorn::test {

// The options of a first start: read from a store that holds nothing yet.
inline options::Options firstStartOptions() {
    return options::readOptions(SettingsStore(scratchDir() + QStringLiteral("/unwritten.ini")));
}

// Stands in for the application's messages window: keeps what Ghostscript wrote and counts how
// often the user was shown it.
struct RecordingMessages : Messages {
    QString log;
    int shown = 0, shownModal = 0;
    std::function<void()> onMessage = [] {}; // runs while Ghostscript is still running
    void addMessage(const QString& text) override { log += text, onMessage(); }
    void showMessages() override { ++shown; }
    void showMessagesModal() override { ++shownModal; }
};

struct RecordingDialogs : ScriptedDialogs { // also records the text each input box offers
    QStringList offered;
    QString getText(const QString& prompt, const QString& title, const QString& text) override {
        offered << text;
        return ScriptedDialogs::getText(prompt, title, text);
    }
};

// A main window as the application builds one: the page view in the middle, the document over
// it, rendering in a Ghostscript worker with the real library (or the given library candidates).
struct ViewerHost {
    explicit ViewerHost(QSize size = QSize(800, 600), const QStringList& libraries = {}) {
        runner.setLibraryCandidates(libraries);
        window.setCentralWidget(view);
        view->setDocument(&document);
        QObject::connect(&document, &viewer::DocumentController::statusChanged,
                         [this](const QString& text) { statuses << text; });
        QObject::connect(&document, &viewer::DocumentController::captionChanged,
                         [this](const QString& text) { captions << text; });
        window.resize(size);
        window.show();
        settle();
    }

    RecordingDialogs dialogs;
    options::Options options = firstStartOptions();
    RecordingMessages messages;
    gs::WorkerRunner runner;
    QMainWindow window;
    viewer::PageView* view = new viewer::PageView(&window);
    viewer::DocumentController document{dialogs, options, messages, runner, *view};
    QStringList statuses, captions;

    QSize page() const { return view->picture().size(); }
    QScrollBar* hor() const { return view->horizontalScrollBar(); }
    QScrollBar* ver() const { return view->verticalScrollBar(); }
    bool barsEnabled() const { return hor()->isEnabled() || ver()->isEnabled(); }
    static void settle() { QApplication::processEvents(); } // as between two commands
};

// The time a redraw took is measured, so only the form of its text is known.
inline const QRegularExpression kRedrawn(QStringLiteral("^Redrawn, took \\d+(\\.\\d+)? seconds$"));

} // namespace quillorn::test
