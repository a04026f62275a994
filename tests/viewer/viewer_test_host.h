#pragma once

#include "app/messages_host.h"
#include "options/core/options.h"
#include "tests/support/scripted_services.h"
#include "viewer/document_view.h"

#include <QLabel>
#include <QMainWindow>
#include <QStringList>
#include <memory>

namespace quillorn::test {

// The options as a first start leaves them: safer, true colour, 75 dpi, anti-aliasing 2 and 2,
// paper index 0, no fixed media.
options::Options FirstStartOptions();

// Records the default text of every input box and the filter of every open dialog besides
// what ScriptedServices records.
class RecordingServices : public ScriptedServices {
public:
    QStringList inputDefaults;
    QStringList openFilters;
    QString OpenFileDialog(const QString& title, const QString& filter,
                           const QString& directory) override {
        openFilters << filter;
        return ScriptedServices::OpenFileDialog(title, filter, directory);
    }
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override {
        inputDefaults << defaultText;
        return ScriptedServices::InputBox(prompt, title, defaultText);
    }
};

// A main window the way the application builds one: the page view as central widget and a
// status bar whose first panel paints each text at once. The messages window is the real one.
struct ViewerHost {
    explicit ViewerHost(QSize size = QSize(800, 600));
    ~ViewerHost();

    RecordingServices services;
    options::Options options = FirstStartOptions();
    MessagesHost messages{services};
    QMainWindow window;
    viewer::DocumentView* view = nullptr;
    QLabel* panel1 = nullptr;
    QStringList statuses;
    QStringList captions;

    QWidget* Container() const;
    QWidget* Display() const;
    class QScrollBar* Hor() const;
    class QScrollBar* Ver() const;
    // Lets queued layout work run, as the event loop would between commands.
    void Settle();
};

// Real documents, written below the scratch directory at test time.
QString WriteTwoPagePostScript(const QString& relativePath);
// A two-page PDF made from the two-page PostScript by the real library.
QString WriteTwoPagePdf(const QString& relativePath);
// One page of width x height points with a blue square.
QString WriteSizedPostScript(const QString& relativePath, int widthPt, int heightPt);

// The redraw's temporary files left in the temporary directory.
QStringList LeftoverTempFiles();

// The prompts of the boxes shown so far, by title.
int CountBoxes(const ScriptedServices& services, const QString& title);

inline const QString kConversionTitle = QStringLiteral("Error in conversion");
inline const QString kUnexpectedTitle = QStringLiteral("Error (please report)");

} // namespace quillorn::test
