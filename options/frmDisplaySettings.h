#pragma once

#include "options/core/options.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillorn {
class WindowServices;
}

namespace quillorn::options {

// Edits the four options that govern only the page rendered for display. Made afresh for each
// showing; only OK puts anything into the record.
class frmDisplaySettings : public QDialog {
    Q_OBJECT
public:
    explicit frmDisplaySettings(Options& options, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOkay_Click();
    void cmdCancel_Click();

    QLabel* lblInfo(int index) const { return lblInfo_.at(static_cast<std::size_t>(index)); }
    QLineEdit* txtResolution() const { return txtResolution_; }
    QComboBox* cmbDepth() const { return cmbDepth_; }
    QComboBox* cmbTextAlpha() const { return cmbTextAlpha_; }
    QComboBox* cmbGraphicsAlpha() const { return cmbGraphicsAlpha_; }
    QPushButton* cmdOkay() const { return cmdOkay_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void BuildControls();
    void ConnectControls();

    Options& options_;
    std::array<QLabel*, 7> lblInfo_{};
    QLineEdit* txtResolution_ = nullptr;
    QComboBox* cmbDepth_ = nullptr;
    QComboBox* cmbTextAlpha_ = nullptr;
    QComboBox* cmbGraphicsAlpha_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdOkay_ = nullptr;
};

// Shows the dialog modally, centred on the screen, for the record; true when OK closed it.
// The dialog asks the user nothing beyond itself, so services are not consulted yet.
bool ShowDisplaySettings(Options& options, WindowServices& services, QWidget* parent = nullptr);

} // namespace quillorn::options
