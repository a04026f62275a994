#pragma once

#include <QDialog>

namespace quillorn::app {

// How another program's print output reaches Quillorn: piped into its standard input, or
// printed to a PostScript file that Quillorn then opens. The commands are fields the user can
// select and copy.
class PrintIntoDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintIntoDialog(QWidget* parent = nullptr);
};

} // namespace quillorn::app
