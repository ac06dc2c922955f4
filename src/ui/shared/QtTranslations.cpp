#include "ui/shared/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace mvx::ui {

QtTranslations::QtTranslations(CLanguage& language) : language_(language)
{
    language_.addObserver(this);
    relabel();
}

QtTranslations::~QtTranslations()
{
    language_.removeObserver(this);
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
}

void QtTranslations::relabel()
{
    const QLocale locale = language_.isEnglish() ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                 : QLocale(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(locale);
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
    // Qt's texts are English already; the catalogue is needed for Japanese only.
    loaded_ = language_.isEnglish() ||
              translator_.load(locale, "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!language_.isEnglish() && loaded_)
        installed_ = QCoreApplication::installTranslator(&translator_);
}

} // namespace mvx::ui
