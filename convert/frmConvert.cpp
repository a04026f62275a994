#include "convert/frmConvert.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quillorn::convert {

void ConvertDialog(const QString& strFile, const ConvertContext& context) {
    const bool standalone = !strFile.isEmpty();
    const QString input =
        standalone ? strFile : (context.mainDocument ? context.mainDocument() : QString());
    frmConvert dialog(input, standalone, context);
    dialog.exec();
}

frmConvert::frmConvert(const QString& inputFile, bool standalone, const ConvertContext& context)
    : QDialog(context.parent), strInputFile(inputFile), bStandalone(standalone), context_(context) {
    setWindowTitle(QStringLiteral("Convert"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    BuildControls();
    ConnectHandlers();
    Form_Load();
}

void frmConvert::BuildControls() {
    static const std::array<const char*, 8> kInfo = {
        "Convert file to:",
        "Resolution:",
        "DPI",
        "Alpha:",
        "Output to:",
        "bits (text),",
        "bits (graphics)",
        "If you want to export more than one page, then put a %d in the output file name, eg. "
        "MYFILE-%d.bmp would output MYFILE-1.bmp, MYFILE-2.bmp, etc."};
    for (size_t i = 0; i < kInfo.size(); ++i)
        lblInfo[i] = new QLabel(QString::fromLatin1(kInfo[i]), this);
    lblInfo[7]->setWordWrap(true);

    cmbConvertTo = new QComboBox(this);
    for (const OutputFormat& format : FormatTable())
        cmbConvertTo->addItem(QLatin1String(format.entry));
    txtResolution = new QLineEdit(QStringLiteral("72"), this);
    txtResolution->setMaxLength(3);
    cmbTextAlpha = new QComboBox(this);
    cmbGraphicsAlpha = new QComboBox(this);
    for (QComboBox* box : {cmbTextAlpha, cmbGraphicsAlpha})
        box->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")});
    txtOutput = new QLineEdit(this);
    txtOutput->setMinimumWidth(320);
    cmdOutputBrowse = new QPushButton(QStringLiteral("..."), this);
    Command1 = new QPushButton(QStringLiteral("C&ancel"), this);
    Command1->setAutoDefault(false);
    cmdConvert = new QPushButton(QStringLiteral("&Convert"), this);
    cmdConvert->setDefault(true);

    auto* format = new QHBoxLayout;
    format->addWidget(lblInfo[0]);
    format->addWidget(cmbConvertTo, 1);
    auto* resolution = new QHBoxLayout;
    resolution->addWidget(lblInfo[1]);
    resolution->addWidget(txtResolution);
    resolution->addWidget(lblInfo[2]);
    resolution->addStretch();
    auto* alpha = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(lblInfo[3]), static_cast<QWidget*>(cmbTextAlpha),
                       static_cast<QWidget*>(lblInfo[5]), static_cast<QWidget*>(cmbGraphicsAlpha),
                       static_cast<QWidget*>(lblInfo[6])})
        alpha->addWidget(w);
    alpha->addStretch();
    auto* output = new QHBoxLayout;
    output->addWidget(lblInfo[4]);
    output->addWidget(txtOutput, 1);
    output->addWidget(cmdOutputBrowse);

    // All frames share one cell; only the chosen format's frame is shown.
    auto* frames = new QGridLayout;
    QSize largest;
    for (int i = 0; i < kFormatCount; ++i) {
        fraSettings[static_cast<size_t>(i)] = BuildFrame(i);
        frames->addWidget(fraSettings[static_cast<size_t>(i)], 0, 0);
        largest = largest.expandedTo(fraSettings[static_cast<size_t>(i)]->sizeHint());
    }
    for (QGroupBox* frame : fraSettings)
        frame->setMinimumSize(largest);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(cmdConvert);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(format);
    layout->addLayout(resolution);
    layout->addLayout(alpha);
    layout->addLayout(output);
    layout->addLayout(frames);
    layout->addLayout(buttons);
    layout->addWidget(lblInfo[7]);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto named = [this](const char* name) {
        return findChild<QRadioButton*>(QLatin1String(name));
    };
    optBMPBlack = named("optBMPBlack"), optBMPGrey = named("optBMPGrey");
    optBMP16 = named("optBMP16"), optBMP256 = named("optBMP256"), optBMPTrue = named("optBMPTrue");
    optPXLGrey = named("optPXLGrey"), optPXLColour = named("optPXLColour");
    optJPEGGrey = named("optJPEGGrey"), optJPEGColour = named("optJPEGColour");
    optPCXBlack = named("optPCXBlack"), optPCXGrey = named("optPCXGrey");
    optPCX16 = named("optPCX16"), optPCX256 = named("optPCX256");
    optPCXTrue = named("optPCXTrue"), optPCXCMYK = named("optPCXCMYK");
    optPSDRGB = named("optPSDRGB"), optPSDCMYK = named("optPSDCMYK");
    optPNGBlack = named("optPNGBlack"), optPNGGrey = named("optPNGGrey");
    optPNG16 = named("optPNG16"), optPNG256 = named("optPNG256");
    optPNGTrue = named("optPNGTrue"), optPNGAlpha = named("optPNGAlpha");
    optTIFF24 = named("optTIFF24"), optTIFF12 = named("optTIFF12");
    optTIFFG3 = named("optTIFFG3"), optTIFFG4 = named("optTIFFG4");
    optTIFFLZW = named("optTIFFLZW");
}

QGroupBox* frmConvert::BuildFrame(int index) {
    const OutputFormat& format = *FormatAt(index);
    auto* frame = new QGroupBox(QLatin1String(format.frameCaption), this);
    auto* layout = new QVBoxLayout(frame);
    // Buttons sharing a frame form one group, so each frame keeps its own choice.
    for (const FormatChoice& choice : format.choices) {
        auto* button = new QRadioButton(QLatin1String(choice.caption), frame);
        button->setObjectName(QLatin1String(choice.name));
        layout->addWidget(button);
        choices_[static_cast<size_t>(index)].push_back(button);
    }
    if (format.defaultChoice >= 0)
        choices_[static_cast<size_t>(index)][static_cast<size_t>(format.defaultChoice)]->setChecked(
            true);
    if (index == kFormatJpeg) {
        auto* quality = new QHBoxLayout;
        lblJPEGQuality = new QLabel(QStringLiteral("Quality:"), frame);
        txtJPEGQuality = new QLineEdit(QStringLiteral("90"), frame);
        txtJPEGQuality->setMaxLength(3);
        quality->addWidget(lblJPEGQuality);
        quality->addWidget(txtJPEGQuality);
        quality->addStretch();
        layout->addLayout(quality);
    }
    if (format.noneLabel) {
        auto* none = new QLabel(QStringLiteral("[none]"), frame);
        none->setObjectName(QLatin1String(format.noneLabel));
        (index == kFormatPdf ? lblPDFNone : lblPNMNone) = none;
        layout->addWidget(none);
    }
    layout->addStretch();
    return frame;
}

void frmConvert::ConnectHandlers() {
    connect(cmbConvertTo, &QComboBox::currentIndexChanged, this, &frmConvert::cmbConvertTo_Click);
    connect(cmdOutputBrowse, &QPushButton::clicked, this, &frmConvert::cmdOutputBrowse_Click);
    connect(Command1, &QPushButton::clicked, this, &frmConvert::Command1_Click);
    connect(cmdConvert, &QPushButton::clicked, this, &frmConvert::cmdConvert_Click);
}

const std::vector<QRadioButton*>& frmConvert::Choices(int format) const {
    static const std::vector<QRadioButton*> none;
    return format >= 0 && format < kFormatCount ? choices_[static_cast<size_t>(format)] : none;
}

ConvertSettings frmConvert::Settings() const {
    ConvertSettings s;
    s.inputFile = strInputFile;
    s.format = cmbConvertTo->currentIndex();
    const std::vector<QRadioButton*>& buttons = Choices(s.format);
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            s.choice = static_cast<int>(i);
    s.jpegQuality = txtJPEGQuality->text();
    s.resolution = txtResolution->text();
    s.graphicsAlpha = cmbGraphicsAlpha->currentIndex();
    s.textAlpha = cmbTextAlpha->currentIndex();
    s.output = txtOutput->text();
    return s;
}

void frmConvert::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

void frmConvert::Form_Load() {
    cmbConvertTo->setCurrentIndex(-1); // so choosing PDF below always runs the selection
    cmbConvertTo->setCurrentIndex(kFormatPdf);
    cmbTextAlpha->setCurrentIndex(2);
    cmbGraphicsAlpha->setCurrentIndex(2);
}

void frmConvert::cmbConvertTo_Click(int index) {
    for (QGroupBox* frame : fraSettings)
        frame->hide();
    if (index < 0 || index >= kFormatCount)
        return;
    fraSettings[static_cast<size_t>(index)]->show();
    txtOutput->setText(ProposeOutputName(strInputFile, index));
    strFilter = QLatin1String(FormatAt(index)->filter);
}

void frmConvert::cmdOutputBrowse_Click() {
    const QString chosen =
        context_.services.SaveFileDialog(strDialogTitle, DialogFilter(strFilter), {});
    if (!chosen.isEmpty())
        txtOutput->setText(chosen);
}

void frmConvert::Command1_Click() {
    reject();
}

void frmConvert::cmdConvert_Click() {
    Finish(RunConversion(Settings(), bStandalone, context_.options, context_.services,
                         bStandalone ? std::function<void(const QString&)>() : context_.status));
}

void frmConvert::Finish(RunOutcome outcome) {
    if (outcome == RunOutcome::KeepOpen)
        return;
    accept();
    if (outcome == RunOutcome::CloseAndShowMessages)
        context_.messages.ShowModal();
}

} // namespace quillorn::convert
