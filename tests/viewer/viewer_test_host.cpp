#include "tests/viewer/viewer_test_host.h"

#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>

namespace quillorn::test {

ViewerHost::ViewerHost(QSize size) {
    view = new viewer::DocumentView(services, options, messages, &window);
    window.setCentralWidget(view);
    auto* panel1 = new QLabel(&window);
    window.statusBar()->addWidget(panel1, 1);
    QObject::connect(view, &viewer::DocumentView::statusText, panel1, [this, panel1](auto& text) {
        statuses << text;
        panel1->setText(text);
        panel1->repaint();
    });
    QObject::connect(view, &viewer::DocumentView::captionChanged, &window, [this](auto& caption) {
        captions << caption;
        window.setWindowTitle(caption);
    });
    container = view->findChild<QWidget*>(QStringLiteral("picContainer"));
    display = view->findChild<QWidget*>(QStringLiteral("picDisplay"));
    hor = view->findChild<QScrollBar*>(QStringLiteral("horScroll"));
    ver = view->findChild<QScrollBar*>(QStringLiteral("verScroll"));
    window.resize(size);
    window.show();
    Settle();
}

QStringList ViewerHost::Titles() const {
    QStringList titles;
    for (const auto& box : services.boxes)
        titles << box.title;
    return titles;
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
    gs::RunGhostscript(
        {"gs", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite", "-sOutputFile=" + pdf, ps});
    return QFileInfo::exists(pdf) ? pdf : QString();
}

QString WriteSizedPostScript(const QString& relativePath, int widthPt, int heightPt) {
    return WriteFile(relativePath, "%!PS-Adobe-3.0\n<< /PageSize [" + QByteArray::number(widthPt) +
                                       " " + QByteArray::number(heightPt) +
                                       "] >> setpagedevice\n"
                                       "0 0 1 setrgbcolor 10 10 40 40 rectfill showpage\n");
}

} // namespace quillorn::test
