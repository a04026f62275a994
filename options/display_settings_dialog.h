#pragma once

#include "options/core/options.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace quillorn::options {

// Edits the four options that govern only the page rendered for display. Made afresh for each
// showing; only OK puts anything into the record.
class DisplaySettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit DisplaySettingsDialog(Options& options, QWidget* parent = nullptr);

    // Shows the dialog modally, centred on the screen; true when OK closed it.
    static bool edit(Options& options, QWidget* parent = nullptr);

    void accept() override;

private:
    Options& options_;
    QLineEdit* resolutionEdit_;
    QComboBox* depthCombo_;
    QComboBox* textAlphaCombo_;
    QComboBox* graphicsAlphaCombo_;
};

} // namespace quillorn::options
