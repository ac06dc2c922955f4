#include "app/CMessageTable.h"
#include "app/MainWindowLabels.h"
#include "app/MessageTexts.h"
#include "app/Msg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace mvx {
namespace {

// Slots that FillEnglish sets to empty strings.
const std::vector<int> kEnglishEmpty = {13,  14,  131, 200, 201, 202, 203, 204, 310, 311, 337,
                                        338, 339, 340, 341, 342, 430, 451, 500, 602, 608, 609, 611, 626};
// Progress lines only the Japanese fill sets and the English fill leaves alone.
const std::vector<int> kJapaneseFillOnly = {566, 567, 573, 578, 599, 610, 634, 635, 636, 637};

std::vector<std::string> snapshot(const CMessageTable& table)
{
    std::vector<std::string> all;
    for (int slot = 0; slot < CMessageTable::kSlotCount; ++slot)
        all.push_back(table.text(slot));
    return all;
}

// The printf conversions of a text, in order ("%s", "%02d", ...).
std::vector<std::string> conversions(const std::string& text)
{
    std::vector<std::string> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        size_t end = i + 1;
        while (end < text.size() && std::string("-+ #0123456789.l").find(text[end]) != std::string::npos)
            ++end;
        if (end < text.size() && std::string("diuxXocs").find(text[end]) != std::string::npos) {
            found.push_back(text.substr(i, end - i + 1));
            i = end;
        }
    }
    return found;
}

TEST(MessageTableData, SlotsAreInRangeUniqueAndSorted)
{
    for (auto texts : {japaneseMessageTexts(), englishMessageTexts()}) {
        std::set<int> seen;
        int previous = -1;
        for (const MessageText& entry : texts) {
            EXPECT_GE(entry.slot, 0);
            EXPECT_LT(entry.slot, CMessageTable::kSlotCount);
            EXPECT_TRUE(seen.insert(entry.slot).second) << "slot " << entry.slot << " twice";
            EXPECT_GT(entry.slot, previous);
            previous = entry.slot;
        }
    }
}

TEST(MessageTableData, EnglishKeepsThePlaceholdersOfTheJapaneseText)
{
    // Where the Japanese text names the file and the English one does not,
    // the caller passes the path and English ignores it.
    const std::set<int> japaneseAddsPath = {Msg::NotAuthorizedToDecrypt, Msg::OwnPublicKeyMissing,
                                            Msg::AuthKeyCreationFailed};
    CMessageTable japanese;
    japanese.FillJapanese();
    for (const MessageText& entry : englishMessageTexts()) {
        const std::string english = entry.text;
        if (english.empty() || japaneseAddsPath.count(entry.slot))
            continue;
        EXPECT_EQ(conversions(japanese.text(entry.slot)), conversions(english)) << "slot " << entry.slot;
    }
}

TEST(MessageTableFill, ConstructionLeavesProgressAndMailSlotsEmpty)
{
    CMessageTable table;
    EXPECT_EQ(table.text(Msg::NotAuthorizedToDecrypt), "%sを復号化する権限がありません。");
    EXPECT_EQ(table.text(Msg::SpecificFolderIsKeyFolder), "特定フォルダに鍵管理フォルダを選択しないで下さい。");
    for (int slot = CMessageTable::kFirstProgressAndMailSlot; slot < CMessageTable::kSlotCount; ++slot)
        EXPECT_EQ(table.text(slot), "") << "slot " << slot;
}

TEST(MessageTableFill, JapaneseFillAddsProgressLinesAndMailTexts)
{
    CMessageTable table;
    table.FillJapanese();
    for (int slot : kJapaneseFillOnly)
        EXPECT_FALSE(table.text(slot).empty()) << "slot " << slot;
    EXPECT_EQ(table.text(Msg::ProtectedFolderEncrypting), "指定されたフォルダを暗号化中です(%d/%d)・・・");
    EXPECT_EQ(table.text(Msg::WebStarting), "処理を開始します...");
}

TEST(MessageTableFill, EnglishEmptiesItsTwentySixSlots)
{
    CMessageTable table;
    table.FillJapanese();
    table.FillEnglish();
    for (int slot : kEnglishEmpty)
        EXPECT_EQ(table.text(slot), "") << "slot " << slot;
    EXPECT_EQ(std::count_if(englishMessageTexts().begin(), englishMessageTexts().end(),
                            [](const MessageText& e) { return std::string(e.text).empty(); }),
              static_cast<long>(kEnglishEmpty.size()));
}

TEST(MessageTableFill, SwitchToEnglishKeepsJapaneseWhereEnglishHasNoText)
{
    CMessageTable table;
    table.FillJapanese();
    table.FillEnglish();
    for (int slot : kJapaneseFillOnly)
        EXPECT_FALSE(table.text(slot).empty()) << "slot " << slot;
    for (int slot = Msg::BarcodeCaption; slot <= Msg::BarcodeLeadSentence; ++slot)
        EXPECT_FALSE(table.text(slot).empty()) << "slot " << slot;
    EXPECT_EQ(table.text(Msg::BarcodeCaption), "公開鍵2次元バーコード表示");
    EXPECT_EQ(table.text(Msg::HistoryOpCreated), "新規作成");
    EXPECT_EQ(table.text(Msg::UsbDecryptQuestion), "USBメモリが接続されました。復号化しますか？");
}

TEST(MessageTableFill, EnglishThenJapaneseRestoresEveryJapaneseText)
{
    CMessageTable table;
    table.FillJapanese();
    const auto japanese = snapshot(table);
    table.FillEnglish();
    EXPECT_NE(snapshot(table), japanese);
    table.FillJapanese();
    EXPECT_EQ(snapshot(table), japanese);
}

TEST(MessageTableFill, EnglishStartLeavesTheJapaneseOnlyProgressSlotsEmpty)
{
    CMessageTable table;
    table.FillEnglish();
    for (int slot : kJapaneseFillOnly)
        EXPECT_EQ(table.text(slot), "") << "slot " << slot;
    EXPECT_EQ(table.text(Msg::EncryptingFileOf), "Encrypting a file of %d out of %d.");
}

TEST(MessageTableFill, LanguageMenuIsTheSameInBothLanguages)
{
    CMessageTable table;
    table.FillJapanese();
    EXPECT_EQ(table.text(Msg::MenuJapanese), "日本語");
    EXPECT_EQ(table.text(Msg::MenuEnglish), "English");
    table.FillEnglish();
    EXPECT_EQ(table.text(Msg::MenuJapanese), "日本語");
    EXPECT_EQ(table.text(Msg::MenuEnglish), "English");
}

TEST(MessageTableTexts, EnglishTextsStandAsWritten)
{
    CMessageTable table;
    table.FillEnglish();
    EXPECT_EQ(table.text(Msg::SettingsFileNotFound), "'Values.dat' was not found.");
    EXPECT_EQ(table.text(Msg::FirstTimeCreateKeySet), "The first time,You must create key set.\nPlease create key set.");
    EXPECT_EQ(table.text(Msg::NoPartnerSelected), "Not select partber's address.");
    EXPECT_EQ(table.text(Msg::KeySetCreatedSendNow), "Secceed to create New KeySet.\nDo you send this Key immideately?");
    EXPECT_EQ(table.text(Msg::NoAvailablePublicKey), "Not exit available public key. So this file was not encripted.");
    EXPECT_EQ(table.text(Msg::KeyFileNameForbiddenCharacter),
              "Cannot use Following character for Key File Name\n\n\t\\/:*'<>|.\n\nPlease make sure of File's Name.");
    EXPECT_EQ(table.text(Msg::UseMiniMenu), "Use Mini size Menu");
    EXPECT_EQ(table.text(Msg::StartPublicKeyFileNotFound), table.text(Msg::PublicKeyFileNotFound));
    EXPECT_EQ(table.text(Msg::StartPrivateKeyFileNotFound), table.text(Msg::PrivateKeyFileNotFound));
}

TEST(MessageTableTexts, ToolbarAndMenuSlots)
{
    CMessageTable table;
    table.FillEnglish();
    const std::vector<std::pair<int, const char*>> expected = {
        {12, "MiniMenu"},       {17, "Rizove Revozo (Selected files)"}, {24, "Main Menu"},
        {27, "&Encryption\tCtrl+E"}, {33, "E&xit\tCtrl+X"},             {45, "Show QR-Code"},
        {48, "Create Key"},     {51, "Decryption"},                     {52, "Encryption"},
        {59, "Miniaturization"}, {60, "Send Public Key"},               {61, "Delete Files"},
        {62, "Request to repair key"}, {63, "2次元バーコード"},          {90, "\n\nMORVANEX closes now.Sorry.\n"},
        {295, "Settings"},      {327, "Setting MiniStudio"},            {336, "Immediately,Encrypt for oneself."},
        {359, "No File Name\nPlease fill in File Name."}};
    for (const auto& [slot, text] : expected)
        EXPECT_EQ(table.text(slot), text) << "slot " << slot;
}

TEST(MessageTableTexts, SlotsOutsideTheTableReadEmpty)
{
    CMessageTable table;
    table.FillJapanese();
    EXPECT_EQ(table.text(-1), "");
    EXPECT_EQ(table.text(CMessageTable::kSlotCount), "");
}

TEST(MessageTableTexts, MainWindowLabelsHaveTextsInBothLanguages)
{
    CMessageTable table;
    for (int pass = 0; pass < 2; ++pass) {
        pass == 0 ? table.FillJapanese() : table.FillEnglish();
        for (int slot : kTopMenuSlots)
            EXPECT_FALSE(table.text(slot).empty()) << slot;
        for (const CommandLabel& label : kMenuCommandLabels)
            EXPECT_FALSE(table.text(label.slot).empty()) << label.command;
        for (const CommandLabel& label : kToolbarLabels)
            EXPECT_FALSE(table.text(label.slot).empty()) << label.command;
        EXPECT_FALSE(table.text(kSystemMenuMiniWindow.slot).empty());
    }
    const std::array<int, 10> toolbarSlots = {52, 51, 58, 55, 48, 50, 59, 61, 62, 63};
    for (size_t i = 0; i < toolbarSlots.size(); ++i)
        EXPECT_EQ(kToolbarLabels[i].slot, toolbarSlots[i]);
}

} // namespace
} // namespace mvx
