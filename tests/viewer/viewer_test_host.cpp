#include "tests/viewer/viewer_test_host.h"

#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QStatusBar>

namespace quillorn::test {

options::Options FirstStartOptions() {
    options::Options o;
    o.Safer = true;
    o.ColourDepth = 4;
    o.Resolution = 75;
    o.TextAlpha = 2;
    o.GraphicsAlpha = 2;
    o.Media = 0;
    o.OverrideDefaultMedia = false;
    return o;
}

ViewerHost::ViewerHost(QSize size) {
    view = new viewer::DocumentView(services, options, messages, &window);
    window.setCentralWidget(view);
    panel1 = new QLabel(&window);
    window.statusBar()->addWidget(panel1, 1);
    QObject::connect(view, &viewer::DocumentView::statusText, panel1, [this](const QString& text) {
        statuses << text;
        panel1->setText(text);
        panel1->repaint();
    });
    QObject::connect(view, &viewer::DocumentView::captionChanged, &window,
                     [this](const QString& caption) {
                         captions << caption;
                         window.setWindowTitle(caption);
                     });
    window.resize(size);
    window.show();
    Settle();
}

ViewerHost::~ViewerHost() {
    messages.Unload();
}

QWidget* ViewerHost::Container() const {
    return view->findChild<QWidget*>(QStringLiteral("picContainer"));
}
QWidget* ViewerHost::Display() const {
    return view->findChild<QWidget*>(QStringLiteral("picDisplay"));
}
QScrollBar* ViewerHost::Hor() const {
    return view->findChild<QScrollBar*>(QStringLiteral("horScroll"));
}
QScrollBar* ViewerHost::Ver() const {
    return view->findChild<QScrollBar*>(QStringLiteral("verScroll"));
}

void ViewerHost::Settle() {
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

QString WriteTwoPagePostScript(const QString& relativePath) {
    return WriteFile(relativePath, TwoPagePostScript());
}

QString WriteTwoPagePdf(const QString& relativePath) {
    const QString ps = WriteTwoPagePostScript(relativePath + QStringLiteral(".source.ps"));
    const QString pdf = QDir(ScratchDir()).filePath(relativePath);
    QDir().mkpath(QFileInfo(pdf).absolutePath());
    gs::RunGhostscript({QStringLiteral("gs"), QStringLiteral("-dNOPAUSE"),
                        QStringLiteral("-dBATCH"), QStringLiteral("-dSAFER"),
                        QStringLiteral("-sDEVICE=pdfwrite"), QStringLiteral("-sOutputFile=") + pdf,
                        ps});
    return QFileInfo::exists(pdf) ? pdf : QString();
}

QString WriteSizedPostScript(const QString& relativePath, int widthPt, int heightPt) {
    const QByteArray w = QByteArray::number(widthPt);
    const QByteArray h = QByteArray::number(heightPt);
    return WriteFile(relativePath, "%!PS-Adobe-3.0\n<< /PageSize [" + w + " " + h +
                                       "] >> setpagedevice\n"
                                       "0 0 1 setrgbcolor 10 10 40 40 rectfill showpage\n");
}

QStringList LeftoverTempFiles() {
    return QDir(QDir::tempPath())
        .entryList({QStringLiteral("KMW*")}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

int CountBoxes(const ScriptedServices& services, const QString& title) {
    int n = 0;
    for (const auto& box : services.boxes)
        n += box.title == title ? 1 : 0;
    return n;
}

} // namespace quillorn::test
