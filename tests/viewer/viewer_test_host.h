#pragma once

#include "app/messages_host.h"
#include "tests/options/options_test_util.h"
#include "tests/support/scripted_services.h"
#include "viewer/document_view.h"

#include <QMainWindow>

class QScrollBar;

namespace quillorn::test {

// Also records the title and default text of every input box and the filter of every open
// dialog.
struct RecordingServices : ScriptedServices {
    QStringList inputTitles, inputDefaults, openFilters;
    QString OpenFileDialog(const QString& title, const QString& filter,
                           const QString& dir) override {
        openFilters << filter;
        return ScriptedServices::OpenFileDialog(title, filter, dir);
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& text) override {
        inputTitles << title;
        inputDefaults << text;
        return ScriptedServices::InputBox(prompt, title, text);
    }
};

// A main window as the application builds one: the page view in the middle and a status bar
// whose first panel paints each text at once. The messages window is the real one.
struct ViewerHost {
    explicit ViewerHost(QSize size = QSize(800, 600));
    ~ViewerHost() { messages.Unload(); }

    RecordingServices services;
    options::Options options = FirstStartOptions();
    MessagesHost messages{services};
    QMainWindow window;
    viewer::DocumentView* view = nullptr;
    QStringList statuses, captions;
    QWidget *container = nullptr, *display = nullptr; // picContainer, picDisplay
    QScrollBar *hor = nullptr, *ver = nullptr;        // horScroll, verScroll

    QSize Page() const { return view->Picture().size(); }
    QStringList Titles() const;
    // Lets queued layout work run, as the event loop would between commands.
    void Settle();
};

// Real documents, written below the scratch directory at test time.
QString WriteTwoPagePostScript(const QString& relativePath);
QString WriteTwoPagePdf(const QString& relativePath); // made by the real library
// One page of width x height points with a blue square.
QString WriteSizedPostScript(const QString& relativePath, int widthPt, int heightPt);

inline const QSize kPage75(208, 104); // the two-page document at 75 dpi: 200 x 100 points
inline const QString kWaiting = QStringLiteral("Please wait, redrawing...");
// The scripted clock advances half a second a reading.
inline const QString kDone = QStringLiteral("Redrawn, took 0.5 seconds");
inline const QString kConversionTitle = QStringLiteral("Error in conversion");
inline const QString kUnexpectedTitle = QStringLiteral("Error (please report)");

} // namespace quillorn::test
