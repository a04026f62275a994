#pragma once

#include "app/core/message_log.h"
#include "app/core/services.h"
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "options/core/options.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillorn::convert {

// What the conversion dialog needs from whoever opens it.
struct ConvertContext {
    WindowServices& services;
    options::Options& options;
    MessagesWindow& messages;
    // The main window's document path; an empty function when there is no main window.
    std::function<QString()> mainDocument;
    // Sets the first panel of the main window's status bar; empty in standalone use.
    std::function<void(const QString&)> status;
    QWidget* parent = nullptr;
};

// Converts strFile, or the main window's document when strFile is empty, through the conversion
// dialog. Returns when the dialog has closed (and the messages window, if the user asked for it).
void ConvertDialog(const QString& strFile, const ConvertContext& context);

// The conversion dialog. Every showing starts from the defaults; nothing is remembered.
class frmConvert : public QDialog {
    Q_OBJECT
public:
    frmConvert(const QString& inputFile, bool standalone, const ConvertContext& context);

    const QString strInputFile;
    const bool bStandalone;

    std::array<QLabel*, 8> lblInfo{};
    QComboBox* cmbConvertTo = nullptr;
    QLineEdit* txtResolution = nullptr;
    QComboBox* cmbTextAlpha = nullptr;
    QComboBox* cmbGraphicsAlpha = nullptr;
    QLineEdit* txtOutput = nullptr;
    QPushButton* cmdOutputBrowse = nullptr;
    std::array<QGroupBox*, kFormatCount> fraSettings{};
    QPushButton* Command1 = nullptr;
    QPushButton* cmdConvert = nullptr;

    QRadioButton *optBMPBlack = nullptr, *optBMPGrey = nullptr, *optBMP16 = nullptr,
                 *optBMP256 = nullptr, *optBMPTrue = nullptr;
    QRadioButton *optPXLGrey = nullptr, *optPXLColour = nullptr;
    QRadioButton *optJPEGGrey = nullptr, *optJPEGColour = nullptr;
    QLabel* lblJPEGQuality = nullptr;
    QLineEdit* txtJPEGQuality = nullptr;
    QRadioButton *optPCXBlack = nullptr, *optPCXGrey = nullptr, *optPCX16 = nullptr,
                 *optPCX256 = nullptr, *optPCXTrue = nullptr, *optPCXCMYK = nullptr;
    QRadioButton *optPSDRGB = nullptr, *optPSDCMYK = nullptr;
    QLabel* lblPDFNone = nullptr;
    QRadioButton *optPNGBlack = nullptr, *optPNGGrey = nullptr, *optPNG16 = nullptr,
                 *optPNG256 = nullptr, *optPNGTrue = nullptr, *optPNGAlpha = nullptr;
    QLabel* lblPNMNone = nullptr;
    QRadioButton *optTIFF24 = nullptr, *optTIFF12 = nullptr, *optTIFFG3 = nullptr,
                 *optTIFFG4 = nullptr, *optTIFFLZW = nullptr;

    // The file dialog's title and the filter of the last format chosen.
    const QString strDialogTitle = QStringLiteral("Choose where to put output");
    QString strFilter;

    // The option buttons of format i, top to bottom.
    const std::vector<QRadioButton*>& Choices(int format) const;
    // What the controls say, as the conversion run reads it.
    ConvertSettings Settings() const;

    void Form_Load();
    void cmbConvertTo_Click(int index);
    void cmdOutputBrowse_Click();
    void Command1_Click();
    void cmdConvert_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Finish(RunOutcome outcome);
    QGroupBox* BuildFrame(int format);
    void ConnectHandlers();

    ConvertContext context_;
    std::array<std::vector<QRadioButton*>, kFormatCount> choices_;
};

} // namespace quillorn::convert
