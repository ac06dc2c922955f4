#pragma once

#include "app/CMessageTable.h"

#include <string>
#include <vector>

namespace mvx {

// A window that shows table texts and relabels itself after a language fill.
class ILanguageObserver {
public:
    virtual ~ILanguageObserver() = default;
    virtual void relabel() = 0;
};

// The interface language: the code "JP" or "EN", the matching fill of the
// message table, the thread locale it stands for, and the windows to relabel.
class CLanguage {
public:
    static constexpr const char* kJapanese = "JP";
    static constexpr const char* kEnglish = "EN";
    // Language identifiers of the thread locale.
    static constexpr int kJapaneseLocaleId = 0x11;
    static constexpr int kEnglishLocaleId = 0x09;
    // Arguments of the language command.
    static constexpr int kCommandJapanese = 0;
    static constexpr int kCommandEnglish = 1;

    explicit CLanguage(CMessageTable& table) : table_(table) {}

    // "LanguageSel" of a first start (no settings file yet): the user's
    // locale, LC_ALL before LC_MESSAGES before LANG; "ja..." is "JP", any
    // other or none "EN".
    static std::string settingFromLocale();
    static std::string settingFromLocaleName(const std::string& localeName);

    // Start: the fill for the setting "LanguageSel". "EN" fills English;
    // "JP" and any other value fill Japanese. Registered windows relabel.
    void applySetting(const std::string& languageSel);
    // Language command: 0 Japanese, 1 English, any other value only relabels.
    void command(int choice);

    // "JP" or "EN"; what the settings store writes as "LanguageSel".
    const std::string& code() const { return code_; }
    bool isEnglish() const { return code_ == kEnglish; }
    int localeId() const { return isEnglish() ? kEnglishLocaleId : kJapaneseLocaleId; }

    void addObserver(ILanguageObserver* observer);
    void removeObserver(ILanguageObserver* observer);

private:
    void select(bool english);
    void relabelAll();

    CMessageTable& table_;
    std::string code_ = kJapanese;
    std::vector<ILanguageObserver*> observers_;
};

} // namespace mvx
