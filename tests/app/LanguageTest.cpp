#include "app/CLanguage.h"
#include "app/Msg.h"

#include <gtest/gtest.h>

namespace mvx {
namespace {

struct CountingWindow : ILanguageObserver {
    explicit CountingWindow(const CMessageTable& t) : table(t) {}
    void relabel() override
    {
        ++relabels;
        caption = table.text(Msg::MenuSettings);
    }
    const CMessageTable& table;
    int relabels = 0;
    std::string caption;
};

class LanguageTest : public ::testing::Test {
protected:
    CMessageTable table;
    CLanguage language{table};
    CountingWindow window{table};
};

TEST_F(LanguageTest, EnglishSettingFillsEnglish)
{
    language.applySetting("EN");
    EXPECT_EQ(language.code(), "EN");
    EXPECT_EQ(language.localeId(), CLanguage::kEnglishLocaleId);
    EXPECT_EQ(table.text(Msg::MenuSettings), "Settings");
}

TEST_F(LanguageTest, OtherSettingValuesStartJapanese)
{
    for (const char* value : {"JP", "XX", "", "en", "jp"}) {
        language.applySetting("EN");
        language.applySetting(value);
        EXPECT_EQ(language.code(), "JP") << value;
        EXPECT_EQ(language.localeId(), CLanguage::kJapaneseLocaleId) << value;
        EXPECT_EQ(table.text(Msg::MenuSettings), "環境設定") << value;
        EXPECT_EQ(table.text(Msg::WebStarting), "処理を開始します...") << value;
    }
}

TEST_F(LanguageTest, SwitchRelabelsRegisteredWindowsWithTheNewTexts)
{
    language.applySetting("JP");
    language.addObserver(&window);
    language.command(CLanguage::kCommandEnglish);
    EXPECT_EQ(window.relabels, 1);
    EXPECT_EQ(window.caption, "Settings");
    language.command(CLanguage::kCommandJapanese);
    EXPECT_EQ(window.relabels, 2);
    EXPECT_EQ(window.caption, "環境設定");
    EXPECT_EQ(language.code(), "JP");
}

TEST_F(LanguageTest, OtherCommandValuesOnlyRelabel)
{
    language.applySetting("EN");
    language.addObserver(&window);
    language.command(7);
    EXPECT_EQ(language.code(), "EN");
    EXPECT_EQ(window.relabels, 1);
    EXPECT_EQ(window.caption, "Settings");
}

TEST_F(LanguageTest, RemovedWindowsAreNotRelabelled)
{
    language.addObserver(&window);
    language.addObserver(&window);
    language.command(CLanguage::kCommandEnglish);
    EXPECT_EQ(window.relabels, 1);
    language.removeObserver(&window);
    language.command(CLanguage::kCommandJapanese);
    EXPECT_EQ(window.relabels, 1);
}

TEST_F(LanguageTest, EnglishStartLeavesTheJapaneseOnlyProgressSlotsEmpty)
{
    // The start fills the table by construction, then by the setting.
    language.applySetting("EN");
    for (int slot : {566, 567, 573, 578, 599, 610, 634, 635, 636, 637})
        EXPECT_EQ(table.text(slot), "") << slot;
    EXPECT_EQ(table.text(Msg::BarcodeCaption), "公開鍵2次元バーコード表示");
    EXPECT_EQ(table.text(Msg::SpecificFolderIsKeyFolder), "");
}

} // namespace
} // namespace mvx
