#pragma once

#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "options/core/options.h"

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace quillorn {
class Messages;
}

namespace quillorn::convert {

// What the conversion dialog needs from whoever opens it.
struct ConvertContext {
    UserDialogs& dialogs;
    const options::Options& options;
    Messages& messages;
    gs::Runner& runner;
    // Receives the main window's status texts; empty when there is no main window.
    std::function<void(const QString&)> status;
    QWidget* parent = nullptr;
    // The name the output names are proposed from, when it is not the input's own (a print job
    // is kept in a temporary file, but its output belongs with the user's documents).
    QString proposalBase = {};
    // The PDF's password, when the viewer has one for the document.
    QString password = {};
};

// The conversion dialog: the output format with its own settings, resolution, anti-aliasing and
// the output name. Every showing starts from the defaults; nothing is remembered.
class ConvertDialog : public QDialog {
    Q_OBJECT
public:
    ConvertDialog(const QString& inputFile, const ConvertContext& context);

    // Converts inputFile through the dialog. Returns when the dialog has closed, and the
    // messages window too when the user asked to see it.
    static void run(const QString& inputFile, const ConvertContext& context);

    // What the controls say, as the conversion run reads it.
    ConvertSettings settings() const;
    // True from Convert until the conversion has ended.
    bool isConverting() const { return conversion_ != nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    QGroupBox* makeFrame(int index);
    void chooseFormat(int index);
    void browseForOutput();
    void convert();
    void converted(RunOutcome outcome);

    ConvertContext context_;
    std::unique_ptr<ConversionProgress> progress_;
    std::unique_ptr<Conversion> conversion_; // the conversion under way
    QString inputFile_;
    QString filter_; // the file dialog's filter, of the last format chosen
    QComboBox* formatCombo_;
    QLineEdit* resolutionEdit_;
    QComboBox* textAlphaCombo_;
    QComboBox* graphicsAlphaCombo_;
    QLineEdit* outputEdit_;
    QLineEdit* jpegQualityEdit_ = nullptr;
    std::array<QGroupBox*, kFormatCount> frames_{};
    std::array<QButtonGroup*, kFormatCount> choices_{};
};

} // namespace quillorn::convert
