#include "net/MailUses.h"
#include "net/SimpleMail.h"

#include "app/CMessageTable.h"

#include "TestWebService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::writeFile;

namespace {

// Points MORVANEX_MAILER at a script that records its arguments and exits
// with the code the test chose.
class MailHandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = makeTempFolder("mvx-mail-");
        record = folder + "args";
        const std::string script = folder + "mailer.sh";
        writeFile(script, "#!/bin/sh\n: > \"$MVX_MAIL_RECORD\"\nfor a in \"$@\"; do printf '%s\\0' \"$a\" >> "
                          "\"$MVX_MAIL_RECORD\"; done\nexit ${MVX_MAIL_EXIT:-0}\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        setenv("MORVANEX_MAILER", script.c_str(), 1);
        setenv("MVX_MAIL_RECORD", record.c_str(), 1);
        setenv("MVX_MAIL_EXIT", "0", 1);
        writeFile(folder + "a.klx", "a");
        writeFile(folder + "b.klx", "b");
    }
    void TearDown() override
    {
        unsetenv("MORVANEX_MAILER");
        removeTree(folder);
    }
    std::vector<std::string> recordedArgs() const
    {
        std::vector<std::string> args;
        std::string text = mvx::test::TestWebService::readFile(record);
        size_t start = 0;
        for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
            args.push_back(text.substr(start, end - start));
        return args;
    }

    std::string folder;
    std::string record;
};

using Args = std::vector<std::string>;

} // namespace

TEST_F(MailHandOver, SubjectBodyAttachmentsAndAddressesReachTheMailer)
{
    CSimpleMail mail;
    EXPECT_EQ(mail.AddRecipient("p@example.com", CSimpleMail::To), 1);
    EXPECT_EQ(mail.AddRecipient("c@example.com", CSimpleMail::Cc), 1);
    EXPECT_EQ(mail.AddRecipient("b@example.com", CSimpleMail::Bcc), 1);
    EXPECT_EQ(mail.AddAttachment(folder + "a.klx"), 1);
    EXPECT_EQ(mail.Send("Subject line", "Body\nsecond line", true), 1);
    EXPECT_EQ(recordedArgs(), (Args{"--utf8", "--subject", "Subject line", "--body", "Body\nsecond line", "--attach",
                                    folder + "a.klx", "--cc", "c@example.com", "--bcc", "b@example.com",
                                    "p@example.com"}));
}

TEST_F(MailHandOver, MailWithoutRecipientsIsStillHandedOver)
{
    CSimpleMail mail;
    mail.AddAttachment(folder + "a.klx");
    EXPECT_EQ(mail.Send("s", "b"), 1);
    EXPECT_EQ(recordedArgs(), (Args{"--utf8", "--subject", "s", "--body", "b", "--attach", folder + "a.klx"}));
}

TEST_F(MailHandOver, FolderAndMissingAttachmentsAreSkipped)
{
    CSimpleMail mail;
    EXPECT_EQ(mail.AddAttachment(folder), 0);
    EXPECT_EQ(mail.AddAttachment(folder + "absent.klx"), 0);
    EXPECT_EQ(mail.AddAttachment(folder + "b.klx"), 1);
    EXPECT_EQ(mail.Send("s", "b"), 1);
    EXPECT_EQ(recordedArgs(), (Args{"--utf8", "--subject", "s", "--body", "b", "--attach", folder + "b.klx"}));
}

TEST_F(MailHandOver, RefusedRecipients)
{
    CSimpleMail mail;
    EXPECT_EQ(mail.AddRecipient("", CSimpleMail::To), 0);
    EXPECT_EQ(mail.AddRecipient("x@example.com", 3), 0);
    EXPECT_EQ(mail.AddRecipient("x@example.com", -1), 0);
    EXPECT_EQ(mail.AddRecipient("--attach=/etc/passwd", CSimpleMail::To), 0);
    EXPECT_TRUE(mail.Recipients().empty());
}

TEST_F(MailHandOver, ListsGrowByFive)
{
    CSimpleMail mail;
    EXPECT_EQ(mail.RecipientCapacity(), 5u);
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(mail.AddRecipient("r" + std::to_string(i) + "@example.com", CSimpleMail::To), 1);
    EXPECT_EQ(mail.RecipientCapacity(), 15u);
    EXPECT_EQ(mail.Send("s", "b"), 1);
    const Args args = recordedArgs();
    ASSERT_EQ(args.size(), 5u + 12u);
    EXPECT_EQ(args.back(), "r11@example.com");
    mail.Reset();
    EXPECT_EQ(mail.RecipientCapacity(), 5u);
    EXPECT_TRUE(mail.Recipients().empty());
}

TEST_F(MailHandOver, FailuresOfTheMailProgramReturnZero)
{
    CSimpleMail mail;
    setenv("MVX_MAIL_EXIT", "3", 1);  // xdg-email: no mail handler on this desktop
    EXPECT_EQ(mail.Send("s", "b"), 0);
    setenv("MVX_MAIL_EXIT", "1", 1);  // cancelled or failed
    EXPECT_EQ(mail.Send("s", "b"), 0);
    setenv("MORVANEX_MAILER", (folder + "no-such-mailer").c_str(), 1);
    EXPECT_EQ(mail.Send("s", "b"), 0);
}

TEST_F(MailHandOver, TheFiveUsesInEnglish)
{
    mvx::CMessageTable table;
    table.FillJapanese();
    table.FillEnglish();
    auto draft = CMailUses::OwnPublicKey(table, folder + "me.kpub");
    EXPECT_EQ(draft.subject, "sending a public key for KLX-P2P/MORVANEX");
    EXPECT_EQ(draft.body, "I send PublicKey for KLX-P2P/MORVANEX.\nPlease resister it KLX-P2P/MORVANEX.");
    EXPECT_TRUE(draft.to.empty());
    EXPECT_EQ(draft.attachments, Args{folder + "me.kpub"});

    draft = CMailUses::AuthenticatedKey(table, folder + "me))you-auth.kpub");
    EXPECT_EQ(draft.subject, "Sending an auth-public key");
    EXPECT_EQ(draft.body,
              "I send the Auth-publicKey for KLX-P2P/MORVANEX.\nPlease Save this file in the same folder.\n");

    draft = CMailUses::EncryptedFiles(table, {"p@example.com", "q@example.com"}, {folder + "a.klx", folder + "b.klx"});
    EXPECT_EQ(draft.subject, "Forwarding encrypted files");
    EXPECT_EQ(draft.body, "Files are attached.\na.klx\nb.klx\n");
    EXPECT_EQ(CMailUses::Send(draft), 1);
    EXPECT_EQ(recordedArgs(),
              (Args{"--utf8", "--subject", "Forwarding encrypted files", "--body", "Files are attached.\na.klx\nb.klx\n",
                    "--attach", folder + "a.klx", "--attach", folder + "b.klx", "p@example.com", "q@example.com"}));

    draft = CMailUses::ForwardContainer(table, {"p@example.com"}, folder + "a.klx");
    EXPECT_EQ(draft.subject, "Forwarding encrypted files");
    EXPECT_EQ(draft.body, "The following files are forwarding.\na.klx");

    draft = CMailUses::KeyFiles({folder + "a.klx", folder});
    EXPECT_EQ(CMailUses::Send(draft), 1);
    EXPECT_EQ(recordedArgs(), (Args{"--utf8", "--subject", "", "--body", "", "--attach", folder + "a.klx"}));
}

TEST_F(MailHandOver, JapaneseTextsFollowTheLanguage)
{
    mvx::CMessageTable table;
    table.FillJapanese();
    const auto draft = CMailUses::ForwardContainer(table, {}, folder + "a.klx");
    EXPECT_EQ(draft.subject, "暗号化ファイルの転送");
    EXPECT_EQ(draft.body, "以下のファイルを転送します。\na.klx");
}
