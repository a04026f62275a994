#include "options/frmDisplaySettings.h"

#include "options/core/display_settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quillorn::options {

frmDisplaySettings::frmDisplaySettings(Options& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    setObjectName(QStringLiteral("frmDisplaySettings"));
    setWindowTitle(QStringLiteral("Display Settings"));
    BuildControls();
    ConnectControls();
    Form_Load();
}

void frmDisplaySettings::BuildControls() {
    const char* captions[] = {
        "Resolution:", "DPI", "Depth:", "Text alpha:", "Graphics alpha:", "bits", "bits"};
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) {
        lblInfo_[i] = new QLabel(QString::fromUtf8(captions[i]), this);
        lblInfo_[i]->setObjectName(QStringLiteral("lblInfo%1").arg(i));
    }
    txtResolution_ = new QLineEdit(this);
    txtResolution_->setObjectName(QStringLiteral("txtResolution"));
    cmbDepth_ = new QComboBox(this);
    cmbDepth_->setObjectName(QStringLiteral("cmbDepth"));
    cmbDepth_->addItems(ColourDepthEntries());
    cmbTextAlpha_ = new QComboBox(this);
    cmbTextAlpha_->setObjectName(QStringLiteral("cmbTextAlpha"));
    cmbTextAlpha_->addItems(AlphaEntries());
    cmbGraphicsAlpha_ = new QComboBox(this);
    cmbGraphicsAlpha_->setObjectName(QStringLiteral("cmbGraphicsAlpha"));
    cmbGraphicsAlpha_->addItems(AlphaEntries());
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);
    cmdOkay_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdOkay_->setObjectName(QStringLiteral("cmdOkay"));
    cmdOkay_->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblInfo_[0], 0, 0);
    grid->addWidget(txtResolution_, 0, 1);
    grid->addWidget(lblInfo_[1], 0, 2);
    grid->addWidget(lblInfo_[2], 1, 0);
    grid->addWidget(cmbDepth_, 1, 1, 1, 2);
    grid->addWidget(lblInfo_[3], 2, 0);
    grid->addWidget(cmbTextAlpha_, 2, 1);
    grid->addWidget(lblInfo_[5], 2, 2);
    grid->addWidget(lblInfo_[4], 3, 0);
    grid->addWidget(cmbGraphicsAlpha_, 3, 1);
    grid->addWidget(lblInfo_[6], 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel_);
    buttons->addWidget(cmdOkay_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);
    // The dialog keeps the size its controls need; the user cannot resize it.
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void frmDisplaySettings::ConnectControls() {
    connect(cmdOkay_, &QPushButton::clicked, this, &frmDisplaySettings::cmdOkay_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmDisplaySettings::cmdCancel_Click);
}

void frmDisplaySettings::Form_Load() {
    const DisplaySettingsView view = DisplaySettingsFromOptions(options_);
    txtResolution_->setMaxLength(view.resolutionMaxLength);
    txtResolution_->setText(view.resolutionText);
    cmbDepth_->setCurrentIndex(view.depthPosition);
    cmbTextAlpha_->setCurrentIndex(view.textAlphaPosition);
    cmbGraphicsAlpha_->setCurrentIndex(view.graphicsAlphaPosition);
}

void frmDisplaySettings::cmdOkay_Click() {
    ApplyDisplaySettings({txtResolution_->text(), txtResolution_->maxLength(),
                          cmbDepth_->currentIndex(), cmbTextAlpha_->currentIndex(),
                          cmbGraphicsAlpha_->currentIndex()},
                         options_);
    accept();
}

void frmDisplaySettings::cmdCancel_Click() {
    reject();
}

bool ShowDisplaySettings(Options& options, WindowServices& /*services*/, QWidget* parent) {
    frmDisplaySettings dialog(options, parent);
    dialog.layout()->activate();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    }
    return dialog.exec() == QDialog::Accepted;
}

} // namespace quillorn::options
