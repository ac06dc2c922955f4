#pragma once

#include "app/CLanguage.h"

#include <QTranslator>

namespace mvx::ui {

// Qt's own texts (file choosers, wizards, standard buttons) and the locale of
// dates and calendars in the interface language, switched with it. The
// program's texts come from the message table; this only covers Qt's.
class QtTranslations : public ILanguageObserver {
public:
    explicit QtTranslations(CLanguage& language);
    ~QtTranslations() override;

    void relabel() override;
    // False when Qt's catalogue for the language is not installed (the
    // dialogs then stay in Qt's English).
    bool loaded() const { return loaded_; }

private:
    CLanguage& language_;
    QTranslator translator_;
    bool installed_ = false;
    bool loaded_ = false;
};

} // namespace mvx::ui
