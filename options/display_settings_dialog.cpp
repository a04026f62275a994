#include "options/display_settings_dialog.h"

#include "options/core/display_settings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quillorn::options {

namespace {
QComboBox* comboBox(const QStringList& entries, const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(entries);
    return box;
}
} // namespace

DisplaySettingsDialog::DisplaySettingsDialog(Options& options, QWidget* parent)
    : QDialog(parent), options_(options), resolutionEdit_(new QLineEdit(this)),
      depthCombo_(comboBox(colourDepthEntries(), "depthCombo", this)),
      textAlphaCombo_(comboBox(alphaEntries(), "textAlphaCombo", this)),
      graphicsAlphaCombo_(comboBox(alphaEntries(), "graphicsAlphaCombo", this)) {
    setObjectName(QStringLiteral("displaySettingsDialog"));
    setWindowTitle(tr("Display Settings"));
    resolutionEdit_->setObjectName(QStringLiteral("resolutionEdit"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &DisplaySettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DisplaySettingsDialog::reject);

    auto* grid = new QGridLayout;
    const auto label = [this](const QString& text) { return new QLabel(text, this); };
    grid->addWidget(label(tr("Resolution:")), 0, 0);
    grid->addWidget(resolutionEdit_, 0, 1);
    grid->addWidget(label(tr("DPI")), 0, 2);
    grid->addWidget(label(tr("Depth:")), 1, 0);
    grid->addWidget(depthCombo_, 1, 1, 1, 2);
    grid->addWidget(label(tr("Text alpha:")), 2, 0);
    grid->addWidget(textAlphaCombo_, 2, 1);
    grid->addWidget(label(tr("bits")), 2, 2);
    grid->addWidget(label(tr("Graphics alpha:")), 3, 0);
    grid->addWidget(graphicsAlphaCombo_, 3, 1);
    grid->addWidget(label(tr("bits")), 3, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addWidget(buttons);
    // The dialog keeps the size its controls need; the user cannot resize it.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    const DisplaySettingsView view = displaySettingsFromOptions(options_);
    resolutionEdit_->setMaxLength(view.resolutionMaxLength);
    resolutionEdit_->setText(view.resolutionText);
    depthCombo_->setCurrentIndex(view.depthPosition);
    textAlphaCombo_->setCurrentIndex(view.textAlphaPosition);
    graphicsAlphaCombo_->setCurrentIndex(view.graphicsAlphaPosition);

    // OK (and Enter) wait for a resolution Ghostscript can render at, as the zoom never goes
    // below 1 either.
    const auto checkResolution = [ok](const QString& text) {
        const bool usable = resolutionUsable(text);
        ok->setEnabled(usable);
        ok->setToolTip(usable ? QString() : tr("The resolution must be at least 1 DPI"));
    };
    connect(resolutionEdit_, &QLineEdit::textChanged, this, checkResolution);
    checkResolution(resolutionEdit_->text());
}

void DisplaySettingsDialog::accept() {
    if (!resolutionUsable(resolutionEdit_->text()))
        return;
    applyDisplaySettings({resolutionEdit_->text(), resolutionEdit_->maxLength(),
                          depthCombo_->currentIndex(), textAlphaCombo_->currentIndex(),
                          graphicsAlphaCombo_->currentIndex()},
                         options_);
    QDialog::accept();
}

bool DisplaySettingsDialog::edit(Options& options, QWidget* parent) {
    DisplaySettingsDialog dialog(options, parent);
    dialog.layout()->activate();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        dialog.move(screen->availableGeometry().center() -
                    QPoint(dialog.width() / 2, dialog.height() / 2));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace quillorn::options
