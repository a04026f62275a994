#pragma once

#include "base/user_dialogs.h"

#include <QPointer>
#include <QWidget>

class QPrinter;

namespace quillorn::app {

// What a printer that went through the print dialog says the user chose. The dialog puts every
// printer on its own default paper, so Page Setup's paper stands unless another one was chosen.
PrintAnswer printAnswerFrom(const QPrinter& printer, const QPageSize& setUpPaper,
                            const QPageSize& printerDefault);

// The dialogs users get: Qt's message boxes, input and file dialogs, clipboard and cursor.
class QtUserDialogs final : public UserDialogs {
public:
    // Dialogs are centred on this window while it exists.
    void setParentWindow(QWidget* window) { parent_ = window; }

    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
               const QString& details) override;
    QString getText(const QString& prompt, const QString& title, const QString& text) override;
    QString getPassword(const QString& prompt, const QString& title) override;
    QString getOpenFileName(const QString& title, const QString& filter,
                            const QString& directory) override;
    QString getSaveFileName(const QString& title, const QString& filter,
                            const QString& initialPath) override;
    std::optional<PrintAnswer> printDialog(const PrintRequest& request) override;
    std::optional<QPageSize> pageSetupDialog(const PageSetupRequest& request) override;
    CheckedAnswer askWithCheckBox(const QString& text, const QString& checkBoxText, Buttons buttons,
                                  Icon icon, const QString& title) override;
    void showProperties(const PropertiesSheet& sheet) override;
    void setBusyCursor(bool busy) override;
    void setClipboardText(const QString& text) override;
    void setClipboardImage(const QImage& image) override;

private:
    CheckedAnswer showBox(const QString& text, const QString& checkBoxText, Buttons buttons,
                          Icon icon, const QString& title, const QString& details);

    QPointer<QWidget> parent_;
    int busy_ = 0;
};

} // namespace quillorn::app
