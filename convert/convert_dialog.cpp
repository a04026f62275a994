#include "convert/convert_dialog.h"

#include "base/message_log.h"
#include "base/number_rule.h"
#include "base/user_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace quillorn::convert {

namespace {

// The progress of a run, in a modal window that appears once the run has taken half a second:
// the page Ghostscript is at ("Page 12 of 87" where the count is known), the time so far and a
// Cancel button that stops the run.
class ProgressWindow final : public ConversionProgress {
public:
    explicit ProgressWindow(QWidget* parent)
        : window_(parent), label_(new QLabel(&window_)), bar_(new QProgressBar(&window_)) {
        window_.setObjectName(QStringLiteral("conversionProgress"));
        window_.setWindowTitle(QCoreApplication::translate("quillorn::convert", "Converting"));
        window_.setWindowModality(Qt::WindowModal);
        auto* cancel =
            new QPushButton(QCoreApplication::translate("quillorn::convert", "Cancel"), &window_);
        cancel->setObjectName(QStringLiteral("cancelButton"));
        auto* layout = new QVBoxLayout(&window_);
        layout->addWidget(label_);
        layout->addWidget(bar_);
        layout->addWidget(cancel, 0, Qt::AlignRight);
        label_->setMinimumWidth(280);
        QObject::connect(cancel, &QPushButton::clicked, &window_, [this] { stop(); });
        // Escape or the window's close button stop the run as Cancel does.
        QObject::connect(&window_, &QDialog::rejected, &window_, [this] { stop(); });
        // Appearing only after half a second spares a short run the flicker.
        appear_.setSingleShot(true);
        appear_.setInterval(500);
        QObject::connect(&appear_, &QTimer::timeout, &window_, [this] {
            update();
            window_.show();
        });
        tick_.setInterval(1000);
        QObject::connect(&tick_, &QTimer::timeout, &window_, [this] { update(); });
    }

    void started(std::optional<int> pageCount, std::function<void()> cancel) override {
        count_ = pageCount;
        cancel_ = std::move(cancel);
        page_ = 0;
        bar_->setRange(0, count_.value_or(0)); // no count: a busy bar
        clock_.start();
        appear_.start();
        tick_.start();
    }
    void pageReached(int page) override {
        page_ = page;
        update();
    }
    void finished() override {
        appear_.stop();
        tick_.stop();
        cancel_ = nullptr;
        window_.hide();
    }

private:
    void stop() {
        if (cancel_)
            cancel_();
    }
    void update() {
        QString text = page_ > 0
                           ? QCoreApplication::translate("quillorn::convert", "Page %1").arg(page_)
                           : QString();
        if (page_ > 0 && count_)
            text += QCoreApplication::translate("quillorn::convert", " of %1").arg(*count_);
        const qint64 seconds = clock_.elapsed() / 1000;
        text += QCoreApplication::translate("quillorn::convert", "\nElapsed: %1:%2")
                    .arg(seconds / 60)
                    .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        label_->setText(text.trimmed());
        if (count_)
            bar_->setValue(std::min(page_, *count_));
    }

    QDialog window_;
    QLabel* label_;
    QProgressBar* bar_;
    QTimer appear_;
    QTimer tick_;
    QElapsedTimer clock_;
    std::optional<int> count_;
    int page_ = 0;
    std::function<void()> cancel_;
};

// A text of the format table, in the user's language.
QString translatedFormatText(const char* text) {
    return QCoreApplication::translate("quillorn::convert", text);
}

QComboBox* alphaCombo(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")});
    return box;
}
} // namespace

void ConvertDialog::run(const QString& inputFile, const ConvertContext& context) {
    ConvertDialog dialog(inputFile, context);
    dialog.exec();
}

ConvertDialog::ConvertDialog(const QString& inputFile, const ConvertContext& context)
    : QDialog(context.parent), context_(context), inputFile_(inputFile),
      formatCombo_(new QComboBox(this)), resolutionEdit_(new QLineEdit(QStringLiteral("72"), this)),
      textAlphaCombo_(alphaCombo("textAlphaCombo", this)),
      graphicsAlphaCombo_(alphaCombo("graphicsAlphaCombo", this)),
      outputEdit_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("convertDialog"));
    setWindowTitle(tr("Convert"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    formatCombo_->setObjectName(QStringLiteral("formatCombo"));
    for (const OutputFormat& format : formatTable())
        formatCombo_->addItem(translatedFormatText(format.entry));
    resolutionEdit_->setObjectName(QStringLiteral("resolutionEdit"));
    resolutionEdit_->setMaxLength(3);
    outputEdit_->setObjectName(QStringLiteral("outputEdit"));
    outputEdit_->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    auto* cancel = new QPushButton(tr("C&ancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    auto* convertButton = new QPushButton(tr("&Convert"), this);
    convertButton->setObjectName(QStringLiteral("convertButton"));
    convertButton->setDefault(true);

    const auto label = [this](const QString& text) { return new QLabel(text, this); };
    auto* format = new QHBoxLayout;
    format->addWidget(label(tr("Convert file to:")));
    format->addWidget(formatCombo_, 1);
    auto* resolution = new QHBoxLayout;
    resolution->addWidget(label(tr("Resolution:")));
    resolution->addWidget(resolutionEdit_);
    resolution->addWidget(label(tr("DPI")));
    resolution->addStretch();
    auto* alpha = new QHBoxLayout;
    alpha->addWidget(label(tr("Alpha:")));
    alpha->addWidget(textAlphaCombo_);
    alpha->addWidget(label(tr("bits (text),")));
    alpha->addWidget(graphicsAlphaCombo_);
    alpha->addWidget(label(tr("bits (graphics)")));
    alpha->addStretch();
    auto* output = new QHBoxLayout;
    output->addWidget(label(tr("Output to:")));
    output->addWidget(outputEdit_, 1);
    output->addWidget(browse);

    // All frames share one cell; only the chosen format's frame is shown.
    auto* frames = new QGridLayout;
    QSize largest;
    for (int i = 0; i < kFormatCount; ++i) {
        QGroupBox* frame = makeFrame(i);
        frames_[static_cast<size_t>(i)] = frame;
        frames->addWidget(frame, 0, 0);
        largest = largest.expandedTo(frame->sizeHint());
    }
    for (QGroupBox* frame : frames_)
        frame->setMinimumSize(largest);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(convertButton);
    auto* hint =
        label(tr("If you want to export more than one page, then put a %d in the output "
                 "file name, eg. MYFILE-%d.bmp would output MYFILE-1.bmp, MYFILE-2.bmp, etc."));
    hint->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(format);
    layout->addLayout(resolution);
    layout->addLayout(alpha);
    layout->addLayout(output);
    layout->addLayout(frames);
    layout->addLayout(buttons);
    layout->addWidget(hint);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(formatCombo_, &QComboBox::currentIndexChanged, this, &ConvertDialog::chooseFormat);
    connect(browse, &QPushButton::clicked, this, &ConvertDialog::browseForOutput);
    connect(cancel, &QPushButton::clicked, this, &ConvertDialog::reject);
    connect(convertButton, &QPushButton::clicked, this, &ConvertDialog::convert);

    formatCombo_->setCurrentIndex(kFormatPdf);
    textAlphaCombo_->setCurrentIndex(2);
    graphicsAlphaCombo_->setCurrentIndex(2);
}

QGroupBox* ConvertDialog::makeFrame(int index) {
    const OutputFormat& format = *formatAt(index);
    auto* frame = new QGroupBox(translatedFormatText(format.frameCaption), this);
    frame->setObjectName(QStringLiteral("settingsFrame%1").arg(index));
    auto* layout = new QVBoxLayout(frame);
    // Each frame keeps its own choice while it is hidden.
    auto* group = new QButtonGroup(frame);
    choices_[static_cast<size_t>(index)] = group;
    int id = 0;
    for (const FormatChoice& choice : format.choices) {
        auto* button = new QRadioButton(translatedFormatText(choice.caption), frame);
        button->setObjectName(QLatin1String(choice.name));
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    if (format.defaultChoice >= 0)
        group->button(format.defaultChoice)->setChecked(true);
    if (index == kFormatJpeg) {
        auto* quality = new QHBoxLayout;
        jpegQualityEdit_ = new QLineEdit(QStringLiteral("90"), frame);
        jpegQualityEdit_->setObjectName(QStringLiteral("jpegQualityEdit"));
        jpegQualityEdit_->setMaxLength(3);
        quality->addWidget(new QLabel(tr("Quality:"), frame));
        quality->addWidget(jpegQualityEdit_);
        quality->addStretch();
        layout->addLayout(quality);
    }
    if (format.noneLabel) {
        auto* none = new QLabel(tr("[none]"), frame);
        none->setObjectName(QLatin1String(format.noneLabel));
        layout->addWidget(none);
    }
    layout->addStretch();
    return frame;
}

ConvertSettings ConvertDialog::settings() const {
    ConvertSettings s;
    s.inputFile = inputFile_;
    s.format = formatCombo_->currentIndex();
    if (s.format >= 0 && s.format < kFormatCount)
        s.choice = choices_[static_cast<size_t>(s.format)]->checkedId();
    s.jpegQuality = jpegQualityEdit_->text();
    s.resolution = resolutionEdit_->text();
    s.graphicsAlpha = graphicsAlphaCombo_->currentIndex();
    s.textAlpha = textAlphaCombo_->currentIndex();
    s.output = outputEdit_->text();
    return s;
}

void ConvertDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

void ConvertDialog::chooseFormat(int index) {
    for (QGroupBox* frame : frames_)
        frame->hide();
    if (index < 0 || index >= kFormatCount)
        return;
    frames_[static_cast<size_t>(index)]->show();
    outputEdit_->setText(proposeOutputName(
        context_.proposalBase.isEmpty() ? inputFile_ : context_.proposalBase, index));
    filter_ = translatedFormatText(formatAt(index)->filter);
}

void ConvertDialog::browseForOutput() {
    // Opens in the output's folder, with the name as it stands.
    const QString chosen = context_.dialogs.getSaveFileName(
        tr("Choose where to put output"), dialogFilter(filter_), outputEdit_->text());
    if (!chosen.isEmpty())
        outputEdit_->setText(chosen);
}

void ConvertDialog::convert() {
    if (conversion_)
        return;
    // Ghostscript would refuse a resolution of no dots with a rangecheck; the user gets the reason.
    if (parseLeadingNumber(resolutionEdit_->text()) < 1) {
        context_.dialogs.message(
            tr("The resolution must be a number of dots per inch from 1 to %1.")
                .arg(options::kLargestDialogResolution),
            Icon::Warning);
        resolutionEdit_->setFocus();
        return;
    }
    if (!progress_)
        progress_ = std::make_unique<ProgressWindow>(this);
    conversion_ = std::make_unique<Conversion>(
        settings(), context_.options,
        ConversionContext{context_.dialogs, context_.runner, context_.messages, context_.status,
                          progress_.get(), context_.password});
    connect(conversion_.get(), &Conversion::finished, this, &ConvertDialog::converted);
    conversion_->start();
}

void ConvertDialog::reject() {
    // Escape or the close button stop a conversion under way; the dialog stays for another try.
    if (conversion_) {
        conversion_->stop();
        return;
    }
    QDialog::reject();
}

void ConvertDialog::converted(RunOutcome outcome) {
    conversion_.reset();
    if (outcome == RunOutcome::KeepOpen)
        return;
    accept();
    if (outcome == RunOutcome::CloseAndShowMessages)
        context_.messages.showMessagesModal();
}

} // namespace quillorn::convert
