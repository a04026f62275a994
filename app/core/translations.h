#pragma once

#include <QLocale>
#include <QTranslator>

namespace quillorn::app {

// The program's texts and Qt's own (the standard buttons, the file dialogs) in the language of
// a locale, for as long as the object lives. The program's translations are built into it; Qt's
// are taken from where Qt keeps them, when they are installed.
class Translations {
public:
    explicit Translations(const QLocale& locale = QLocale::system());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Whether the program's own texts are translated for the locale (not for English).
    bool programTranslated() const { return programLoaded_; }

private:
    QTranslator program_;
    QTranslator qt_;
    bool programLoaded_ = false;
    bool qtLoaded_ = false;
};

} // namespace quillorn::app
