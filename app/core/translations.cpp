#include "app/core/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace quillorn::app {

Translations::Translations(const QLocale& locale) {
    // The build embeds quillorn_<language>.qm under :/i18n.
    programLoaded_ = program_.load(locale, QStringLiteral("quillorn"), QStringLiteral("_"),
                                   QStringLiteral(":/i18n")) &&
                     QCoreApplication::installTranslator(&program_);
    qtLoaded_ = qt_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                QCoreApplication::installTranslator(&qt_);
}

Translations::~Translations() {
    if (qtLoaded_)
        QCoreApplication::removeTranslator(&qt_);
    if (programLoaded_)
        QCoreApplication::removeTranslator(&program_);
}

} // namespace quillorn::app
