#include "app/CLanguage.h"

#include <algorithm>
#include <cstdlib>

namespace mvx {

std::string CLanguage::settingFromLocaleName(const std::string& localeName)
{
    return localeName.rfind("ja", 0) == 0 ? kJapanese : kEnglish;
}

std::string CLanguage::settingFromLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return settingFromLocaleName(value);
    }
    return kEnglish;
}

void CLanguage::applySetting(const std::string& languageSel)
{
    select(languageSel == kEnglish);
    relabelAll();
}

void CLanguage::command(int choice)
{
    if (choice == kCommandJapanese || choice == kCommandEnglish)
        select(choice == kCommandEnglish);
    relabelAll();
}

void CLanguage::select(bool english)
{
    code_ = english ? kEnglish : kJapanese;
    if (english)
        table_.FillEnglish();
    else
        table_.FillJapanese();
}

void CLanguage::addObserver(ILanguageObserver* observer)
{
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void CLanguage::removeObserver(ILanguageObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void CLanguage::relabelAll()
{
    // A window may unregister itself while relabelling; walk a copy.
    const auto observers = observers_;
    for (ILanguageObserver* observer : observers)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->relabel();
}

} // namespace mvx
