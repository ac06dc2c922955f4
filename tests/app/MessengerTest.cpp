#include "app/CContinueConfirmDialog.h"
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/CNotEncryptReadOnlyFile.h"
#include "app/Msg.h"

#include "ScriptedInteraction.h"

#include <gtest/gtest.h>

namespace mvx {
namespace {

using test::ScriptedInteraction;
using Kind = ScriptedInteraction::Kind;

class MessengerTest : public ::testing::Test {
protected:
    MessengerTest() { table.FillEnglish(); }

    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
};

TEST_F(MessengerTest, ShowsTheFormattedTextOfTheSlotWithItsIcon)
{
    messenger.show(Msg::FilesEncryptedSummary, MsgIcon::Information, 3);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.last().kind, Kind::Message);
    EXPECT_EQ(ui.last().text, "3 files succeeded encryption.");
    EXPECT_EQ(ui.last().icon, MsgIcon::Information);
    EXPECT_EQ(ui.last().caption, "");
}

TEST_F(MessengerTest, ReadsTheTextAtTheMomentOfUse)
{
    messenger.show(Msg::NotAuthorizedToDecrypt, MsgIcon::Stop, "/data/a.klx");
    table.FillJapanese();
    messenger.show(Msg::NotAuthorizedToDecrypt, MsgIcon::Stop, "/data/a.klx");
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"You are not authorized to decrypt this file.",
                                                    "/data/a.klxを復号化する権限がありません。"}));
}

TEST_F(MessengerTest, CaptionComesFromItsSlot)
{
    table.FillJapanese();
    messenger.showCaptioned(Msg::StrayKeyRegistered, Msg::KeyRegistrationCaption, MsgIcon::Information, "Hanako",
                            "Hanako.kpub");
    EXPECT_EQ(ui.last().text, "Hanakoさんの鍵、\nHanako.kpub\nを登録しました。");
    EXPECT_EQ(ui.last().caption, "鍵の登録");
}

TEST_F(MessengerTest, QuestionsReturnTheScriptedAnswersThenTheDefault)
{
    ui.answerYesNo(true);
    EXPECT_TRUE(messenger.askYesNo(Msg::DeletePlainFilesQuestion, MsgIcon::Question, 2));
    EXPECT_FALSE(messenger.askYesNo(Msg::DeletePlainFilesQuestion, MsgIcon::Question, 2));
    ui.answerOkCancel(true);
    EXPECT_TRUE(messenger.askOkCancelText("x", MsgIcon::Information));
    EXPECT_FALSE(messenger.askOkCancelText("x", MsgIcon::Information));
    EXPECT_EQ(ui.count(Kind::YesNo), 2u);
    EXPECT_EQ(ui.count(Kind::OkCancel), 2u);
    EXPECT_EQ(ui.textsOf(Kind::YesNo)[0], "It tries to delete the file of 2 piece encrypted completely. \n Do you delete it ?");
}

TEST_F(MessengerTest, StatusLineGoesThroughTheInterface)
{
    messenger.status(Msg::EncryptingPath, "/home/u/a.txt");
    EXPECT_EQ(ui.last().kind, Kind::Status);
    EXPECT_EQ(ui.last().text, "/home/u/a.txt is encrypting.....");
}

TEST_F(MessengerTest, OverwriteDialogCarriesItsCaptionAndButtons)
{
    ui.answerContinue(1);
    const auto dialog = CContinueConfirmDialog::forOverwrite(table, "a.txt" + table.text(Msg::OverwriteEncryptQuestion));
    EXPECT_EQ(dialog.DoModal(ui), CContinueConfirmDialog::kSecond);
    EXPECT_EQ(ui.last().kind, Kind::ContinueConfirm);
    EXPECT_EQ(ui.last().caption, "Overwrite");
    EXPECT_EQ(ui.last().text, "a.txt\nOverwrite for same name file.\nDo you Encrypt?");
    EXPECT_EQ(ui.last().buttons, (std::array<std::string, 4>{"Yes", "Overwrite all", "No", "Stop"}));
}

TEST_F(MessengerTest, DeleteDialogAndAnswersOutOfRangeStop)
{
    ui.answerContinue(7);
    ui.answerContinue(-1);
    const auto dialog = CContinueConfirmDialog::forDelete(table, "a.txt\nDelete this file,is this true?");
    EXPECT_EQ(dialog.DoModal(ui), CContinueConfirmDialog::kFourth);
    EXPECT_EQ(dialog.DoModal(ui), CContinueConfirmDialog::kFourth);
    EXPECT_EQ(ui.last().caption, "Delete");
    EXPECT_EQ(ui.last().buttons, (std::array<std::string, 4>{"Yes", "Delete all", "No", "Stop"}));
}

TEST_F(MessengerTest, ContinueConfirmBySlots)
{
    ui.answerContinue(0);
    EXPECT_EQ(messenger.continueConfirm(Msg::Delete, "t", {Msg::Yes, Msg::DeleteAll, Msg::No, Msg::Stop}), 0);
    EXPECT_EQ(ui.last().buttons[1], "Delete all");
}

TEST_F(MessengerTest, NoticeIsSilencedOnceTicked)
{
    CNotEncryptReadOnlyFile notice(table);
    ui.answerNotice(false);
    ui.answerNotice(true);
    EXPECT_TRUE(notice.show(ui, "a.klx" + table.text(Msg::AlreadyEncrypted)));
    EXPECT_FALSE(notice.silenced());
    EXPECT_TRUE(notice.show(ui, "b.klx" + table.text(Msg::AlreadyEncrypted)));
    EXPECT_TRUE(notice.silenced());
    EXPECT_FALSE(notice.show(ui, "c.klx" + table.text(Msg::AlreadyEncrypted)));
    ASSERT_EQ(ui.count(Kind::Notice), 2u);
    EXPECT_EQ(ui.last().text, "b.klxhas already encrypted.");
    EXPECT_EQ(ui.last().caption, "Continues check");
    EXPECT_EQ(ui.last().checkBox, "This message is not displayed as follows.");
}

TEST_F(MessengerTest, ChoosersRecordTitleAndFilter)
{
    table.FillJapanese();
    ui.answerFiles({"/a", "/b"});
    const auto files = ui.chooseFilesFiltered(table.text(Msg::SelectFilesToEncrypt), "/home",
                                              table.text(Msg::AllFilesFilter));
    EXPECT_EQ(files, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(ui.last().text, "暗号化するファイルを選択する");
    EXPECT_EQ(ui.last().filter, "全てのファイル(*.*)|*.*||");
    EXPECT_FALSE(ui.chooseFolder("t", "/").has_value());
    EXPECT_FALSE(ui.chooseSavePath("t", "/x").has_value());
}

} // namespace
} // namespace mvx
