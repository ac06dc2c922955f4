#include "FileSizeLimit.h"
#include "KeysTestSupport.h"

#include "app/Msg.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "keys/DestinationListEditor.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFolderSenderDirectory.h"
#include "keys/MemberRecords.h"
#include "keys/StrayKeys.h"

#include <sys/stat.h>

using namespace mvx;
using namespace mvx::test;
namespace fs = std::filesystem;

namespace {

using Kind = ScriptedInteraction::Kind;

// Alice ("reader" keys) keeps the destination list; Bob ("sender") and Carol
// ("other") are her partners.
class DestinationListTest : public KeysTest {
protected:
    void SetUp() override
    {
        alice = makeUser("reader", "alice", "Alice");
        bob = makeUser("sender", "bob", "Bob");
        carol = makeUser("other", "carol", "Carol");
        useKeySetOf(keys, alice);
        outside = folder.path() + "outside/";
        fs::create_directories(outside);
    }

    DestinationListEditor list(const std::string& name = "Partner", const std::string& mail = "partner@example.org")
    {
        return DestinationListEditor(messenger, keys, [name, mail](DestinationListEditor::EntryFields& f, bool) {
            if (f.name.empty())
                f.name = name;
            if (f.mail.empty())
                f.mail = mail;
            return true;
        });
    }

    // issuer authenticates holder's public key (a copy in outside/); the file for the holder.
    std::string authKeyFor(const TestUser& holder, const TestUser& issuer)
    {
        const std::string copy = outside + holder.name + ".kpub";
        if (!fs::exists(copy))
            fs::copy_file(holder.publicKey(), copy);
        KeyAuthenticator::Identity identity{issuer.publicKey(), issuer.privateKey(), issuer.userName, issuer.mail,
                                            issuer.keyFolder, {}};
        KeyAuthenticator authenticator(messenger, identity, {});
        const std::string made = authenticator.authenticate({copy}, true, true);
        EXPECT_FALSE(made.empty());
        return made;
    }

    std::string plainKeyOutside(const TestUser& who, const std::string& as)
    {
        fs::copy_file(who.publicKey(), outside + as);
        return outside + as;
    }

    TestUser alice, bob, carol;
    std::string outside;
    CKeyManager keys{messenger};
};

} // namespace

TEST_F(DestinationListTest, PlainKeyFromOutsideIsMovedIntoTheChosenFolder)
{
    const std::string key = plainKeyOutside(bob, "bob.kpub");
    auto chain = list("Bob B.", "bob@example.org");
    ASSERT_TRUE(chain.registerKey(key));
    EXPECT_FALSE(fs::exists(key));
    EXPECT_TRUE(fs::exists(alice.keyFolder + "bob.kpub"));
    const auto view = chain.showFolder();
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].name, "Bob B.");
    EXPECT_EQ(view.rows[0].mail, "bob@example.org");
    EXPECT_EQ(view.rows[0].expiration, "Not setting");
    EXPECT_EQ(view.rows[0].lastOperation, "Not Used");
    EXPECT_EQ(view.title, "aliceさんの宛先リスト");
    EXPECT_TRUE(view.parentRow.empty());
    EXPECT_TRUE(fs::exists(alice.keyFolder + "pubkey_member.dat"));
}

TEST_F(DestinationListTest, AuthenticatedKeysComeFirstAndTheSelfKeyIsMarked)
{
    const std::string self = authKeyFor(alice, alice);
    const std::string fromBob = authKeyFor(alice, bob);
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(carol, "carol.kpub")));
    ASSERT_TRUE(chain.registerKey(fromBob));
    ASSERT_TRUE(chain.registerKey(self));
    const auto view = chain.showFolder();
    ASSERT_EQ(view.rows.size(), 3u);
    EXPECT_EQ(view.rows[0].keyFileName, "alice))bob-auth.kpub");
    EXPECT_EQ(view.rows[0].name, "Bob");  // taken from the key's record
    EXPECT_FALSE(view.rows[0].oneself);
    EXPECT_EQ(view.rows[1].keyFileName, "alice))alice-auth.kpub");
    EXPECT_TRUE(view.rows[1].oneself);
    EXPECT_EQ(view.rows[2].keyFileName, "carol.kpub");
}

TEST_F(DestinationListTest, RefusalsBeforeTheDialog)
{
    auto chain = list();
    fs::copy_file(alice.privateKey(), outside + "alicePrivate.kpri");
    EXPECT_FALSE(chain.registerKey(outside + "alicePrivate.kpri"));
    EXPECT_EQ(ui.last().text, "alicePrivate.kpri is not a key file that can be registered.");

    std::string damaged = authKeyFor(alice, bob);
    fs::permissions(damaged, fs::perms::owner_write, fs::perm_options::add);
    fs::resize_file(damaged, 283);
    EXPECT_FALSE(chain.registerKey(damaged));
    EXPECT_EQ(ui.last().text, "alice))bob-auth.kpub is not a key file that can be registered.");

    EXPECT_FALSE(chain.registerKey(plainKeyOutside(alice, "me.kpub")));
    EXPECT_EQ(ui.last().text, "自分自身の公開鍵なので登録する事は出来ません");

    // A key Alice made for Bob can only be read by Bob.
    EXPECT_FALSE(chain.registerKey(authKeyFor(bob, alice)));
    EXPECT_EQ(ui.last().text, "This authentication key cannot be registered in the address list. ");
    EXPECT_EQ(chain.showFolder().rows.size(), 0u);
    EXPECT_TRUE(fs::exists(outside + "me.kpub"));
}

TEST_F(DestinationListTest, NameAndMailAreRequiredAndCancelChangesNothing)
{
    int shown = 0;
    DestinationListEditor chain(messenger, keys, [&](DestinationListEditor::EntryFields& f, bool) {
        ++shown;
        if (shown == 1)
            return true;  // nothing filled in
        if (shown == 2) {
            f.name = "Bob";
            return true;  // no mail yet
        }
        return false;
    });
    const std::string key = plainKeyOutside(bob, "bob.kpub");
    EXPECT_FALSE(chain.registerKey(key));
    EXPECT_EQ(ui.textsOf(Kind::Message),
              (std::vector<std::string>{"Set User Name of This Public Key.", "Set E-mail Address of This Public Key."}));
    EXPECT_TRUE(fs::exists(key));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "pubkey_member.dat"));
}

TEST_F(DestinationListTest, SameAuthenticatedKeyTwiceInOneFolderIsRefused)
{
    const std::string fromBob = authKeyFor(alice, bob);
    const auto bytes = bytesOf(fromBob);
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(fromBob));
    fs::copy_file(alice.keyFolder + "alice))bob-auth.kpub", outside + "alice))bob-auth.kpub");
    EXPECT_FALSE(chain.registerKey(outside + "alice))bob-auth.kpub"));
    EXPECT_EQ(ui.last().text, "This authentication key is already registered.");
    EXPECT_EQ(keys.authenticatedRecords().size(), 1u);
    EXPECT_TRUE(fs::exists(outside + "alice))bob-auth.kpub"));
}

TEST_F(DestinationListTest, SameAuthenticatedKeyInASecondFolderAsksToUpdateTheFirstCopy)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    ASSERT_TRUE(chain.makeFolder("work"));
    // Bob authenticates Alice again (a new file with a new time) and she files it under "work".
    fs::remove(outside + "alice.kpub");
    fs::remove(outside + "alice))bob-auth.kpub");
    Clock::setFixed(Clock::unixNow() + 3600);
    ui.answerYesNo(true);  // authenticated before: again
    const std::string renewed = authKeyFor(alice, bob);
    const auto renewedBytes = bytesOf(renewed);
    ui.answerOkCancel(true);
    ASSERT_TRUE(chain.registerKey(renewed, alice.keyFolder + "work"));
    ASSERT_EQ(ui.count(Kind::OkCancel), 1u);
    EXPECT_EQ(ui.textsOf(Kind::OkCancel)[0],
              "この鍵は既に以下の場所に登録されています。これらの鍵を更新しますか？\n\n" + alice.keyFolder + "\n");
    EXPECT_EQ(bytesOf(alice.keyFolder + "alice))bob-auth.kpub"), renewedBytes);
    EXPECT_EQ(bytesOf(alice.keyFolder + "work/alice))bob-auth.kpub"), renewedBytes);
    EXPECT_EQ(CKeyManager::loadMemberFile(alice.keyFolder + "work/member.dat").size(), 1u);
    EXPECT_EQ(CKeyManager::loadMemberFile(alice.keyFolder + "member.dat").size(), 1u);
}

TEST_F(DestinationListTest, PlainKeyOfTheSameNameInTheSameFolderIsRefused)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "bob.kpub")));
    EXPECT_FALSE(chain.registerKey(plainKeyOutside(bob, "bob.kpub")));
    EXPECT_EQ(ui.last().text, "bob.kpub has already resistered.");
}

TEST_F(DestinationListTest, AMemberFileThatCannotBeWrittenKeepsEveryEntry)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "bob.kpub")));
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(carol, "carol.kpub")));
    const std::string members = alice.keyFolder + KeyFileNames::kPublicMemberFile;
    auto records = CKeyManager::loadMemberFile(members);
    ASSERT_EQ(records.size(), 2u);
    records.push_back(records.front());
    bool saved = true;
    // Room for one and a half records only, as on a nearly full disk.
    withFileSizeLimit(4 + CKeyManager::UserData::kDiskSize * 3 / 2,
                      [&] { saved = CKeyManager::saveMemberFile(members, records); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(CKeyManager::loadMemberFile(members).size(), 2u);
    for (const auto& entry : fs::directory_iterator(alice.keyFolder))
        EXPECT_NE(entry.path().filename().string().rfind(".~", 0), 0u) << entry.path();
}

TEST_F(DestinationListTest, DeletingTheLastAuthenticatedEntryDeletesMemberDat)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(carol, "carol.kpub")));
    chain.showFolder();
    ASSERT_TRUE(fs::exists(alice.keyFolder + "member.dat"));
    ui.answerContinue(0);
    EXPECT_EQ(chain.deleteEntries({0}), 1u);
    EXPECT_EQ(ui.textsOf(Kind::ContinueConfirm)[0], "Bob's Address&Bob'sPublicKey delete.\nIs that OK?");
    EXPECT_EQ(ui.last().buttons, (std::array<std::string, 4>{"Yes", "Delete all", "No", "Stop"}));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "member.dat"));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "alice))bob-auth.kpub"));
    EXPECT_TRUE(fs::exists(alice.keyFolder + "pubkey_member.dat"));
    EXPECT_EQ(chain.showFolder().rows.size(), 1u);
}

TEST_F(DestinationListTest, DeleteAllDeletesTheRestWithoutQuestions)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "b1.kpub")));
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "b2.kpub")));
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(carol, "c1.kpub")));
    chain.showFolder();
    ui.answerContinue(1);
    EXPECT_EQ(chain.deleteEntries({0, 1, 2}), 3u);
    EXPECT_EQ(ui.count(Kind::ContinueConfirm), 1u);
    EXPECT_FALSE(fs::exists(alice.keyFolder + "pubkey_member.dat"));
    for (const char* name : {"b1.kpub", "b2.kpub", "c1.kpub"})
        EXPECT_FALSE(fs::exists(alice.keyFolder + name)) << name;
}

TEST_F(DestinationListTest, NoSkipsAndStopEndsTheDeletion)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "b1.kpub")));
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "b2.kpub")));
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(carol, "c1.kpub")));
    chain.showFolder();
    ui.answerContinue(2);
    ui.answerContinue(0);
    ui.answerContinue(3);
    EXPECT_EQ(chain.deleteEntries({0, 1, 2}), 1u);
    EXPECT_TRUE(fs::exists(alice.keyFolder + "b1.kpub"));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "b2.kpub"));
    EXPECT_TRUE(fs::exists(alice.keyFolder + "c1.kpub"));
    EXPECT_EQ(keys.recordCount(), 2u);
    EXPECT_EQ(chain.deleteEntries({}), 0u);
    EXPECT_EQ(ui.last().text, "No items were selected!");
}

TEST_F(DestinationListTest, MoveStaysInsideTheTreeAndNotIntoTheSameFolder)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    ASSERT_TRUE(chain.makeFolder("work"));
    chain.showFolder();
    EXPECT_EQ(chain.move({0}, alice.keyFolder), 0u);
    EXPECT_EQ(ui.last().text, "Cannot be moved because the selected foler is the same as the folder.");
    EXPECT_EQ(chain.move({0}, outside), 0u);
    EXPECT_EQ(ui.last().text, "Please specify the folder below the folder where the application is put. ");
    // A folder beside the key folder whose name merely begins with the key folder's name.
    const std::string sibling = alice.keyFolder.substr(0, alice.keyFolder.size() - 1) + "2";
    fs::create_directories(sibling);
    EXPECT_EQ(chain.move({0}, sibling), 0u);
    EXPECT_EQ(ui.last().text, "Please specify the folder below the folder where the application is put. ");
    EXPECT_TRUE(fs::exists(alice.keyFolder + "alice))bob-auth.kpub"));

    ui.answerFolder(alice.keyFolder + "work");
    EXPECT_EQ(chain.move({0}), 1u);
    EXPECT_EQ(ui.last().caption, "フォルダの選択");
    EXPECT_EQ(ui.last().text, "フォルダを選択してください");
    EXPECT_FALSE(fs::exists(alice.keyFolder + "alice))bob-auth.kpub"));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "member.dat"));
    const auto view = chain.showFolder(alice.keyFolder + "work");
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].keyFileName, "alice))bob-auth.kpub");
    EXPECT_EQ(view.title, "work");
    EXPECT_EQ(view.parentRow, "上のリストに戻る");
}

TEST_F(DestinationListTest, ModifyWritesNameAndMailAndMovesOnAFolderChange)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "bob.kpub")));
    ASSERT_TRUE(chain.makeFolder("friends"));
    chain.showFolder();
    DestinationListEditor editor(messenger, keys, [&](DestinationListEditor::EntryFields& f, bool modify) {
        EXPECT_TRUE(modify);
        EXPECT_EQ(f.name, "Partner");
        f.name = "Robert";
        f.mail = "robert@example.org";
        f.folder = alice.keyFolder + "friends/";
        return true;
    });
    ASSERT_TRUE(editor.modify({0}));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "bob.kpub"));
    const auto view = editor.showFolder(alice.keyFolder + "friends");
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].name, "Robert");
    EXPECT_EQ(view.rows[0].mail, "robert@example.org");
    EXPECT_FALSE(editor.modify({}));
    EXPECT_EQ(ui.last().text, "No items were selected!");
}

TEST_F(DestinationListTest, MakersKeyCannotBeDeletedChangedOrMoved)
{
    auto chain = list();
    fs::copy_file(bob.publicKey(), outside + "brellwick_vuz.kpub");
    ASSERT_TRUE(chain.registerKey(outside + "brellwick_vuz.kpub"));
    ASSERT_TRUE(chain.makeFolder("other"));
    const auto view = chain.showFolder();
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].name, "Brellwick");
    EXPECT_EQ(chain.deleteEntries({0}), 0u);
    EXPECT_EQ(ui.last().text, "Brellwick宛の公開鍵は削除できません。");
    EXPECT_FALSE(chain.modify({0}));
    EXPECT_EQ(ui.last().text, "Brellwick宛の公開鍵は情報を変更することができません。");
    EXPECT_EQ(chain.move({0}, alice.keyFolder + "other"), 0u);
    EXPECT_EQ(ui.last().text, "Brellwick宛の公開鍵は移動できません");
    EXPECT_TRUE(fs::exists(alice.keyFolder + "brellwick_vuz.kpub"));
}

TEST_F(DestinationListTest, FoldersAreMadeAndDeletedWithEverythingInThem)
{
    auto chain = list();
    EXPECT_FALSE(chain.makeFolder(""));
    EXPECT_EQ(ui.last().text, "Please fill in the folderName.");
    EXPECT_FALSE(chain.makeFolder("a/b"));
    EXPECT_EQ(ui.last().text, "このフォルダ名は使用できません。");
    ASSERT_TRUE(chain.makeFolder("team"));
    EXPECT_FALSE(chain.makeFolder("team"));
    EXPECT_EQ(chain.showFolder().subfolders, std::vector<std::string>{"team"});

    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "bob.kpub"), alice.keyFolder + "team"));
    EXPECT_FALSE(chain.deleteFolder(alice.keyFolder + "team"));  // No
    EXPECT_EQ(ui.last().text, "Do you delete Folder'team'&All Address?");
    EXPECT_TRUE(fs::exists(alice.keyFolder + "team/bob.kpub"));
    ui.answerYesNo(true);
    EXPECT_TRUE(chain.deleteFolder(alice.keyFolder + "team"));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "team"));
}

TEST_F(DestinationListTest, CreateEncryptFileHandsOverTheSelection)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "bob.kpub")));
    chain.showFolder();
    EXPECT_FALSE(chain.createEncryptFile({}));
    EXPECT_EQ(ui.last().text, "Not select partber's address.");
    ui.answerFiles({"/tmp/a.txt"});
    const auto handOver = chain.createEncryptFile({0});
    ASSERT_TRUE(handOver);
    EXPECT_EQ(handOver->keyFiles, std::vector<std::string>{alice.keyFolder + "bob.kpub"});
    EXPECT_EQ(handOver->plainFiles, std::vector<std::string>{"/tmp/a.txt"});
    EXPECT_EQ(ui.last().filter, "全てのファイル(*.*)|*.*||");
}

TEST_F(DestinationListTest, IsRegisteredSearchesEveryFolderAndFindCopiesNamesThem)
{
    auto chain = list();
    const std::string fromBob = authKeyFor(alice, bob);
    fs::copy_file(fromBob, outside + "probe.kpub");
    EXPECT_FALSE(chain.isRegistered(outside + "probe.kpub"));
    ASSERT_TRUE(chain.makeFolder("deep"));
    ASSERT_TRUE(chain.registerKey(fromBob, alice.keyFolder + "deep"));
    // The probe carries Bob's public key first, as his authenticated key does.
    EXPECT_TRUE(chain.isRegistered(outside + "probe.kpub"));
    EXPECT_EQ(chain.findCopies("alice))bob-auth.kpub"),
              std::vector<std::string>{alice.keyFolder + "deep/alice))bob-auth.kpub"});
    EXPECT_TRUE(chain.findCopies("../x").empty());
}

TEST_F(DestinationListTest, AKeyFolderGivesItsListedKeysAndAKeyFileItsNames)
{
    auto chain = list("Carol C.", "carol@example.org");
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(carol, "carol.kpub")));
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    fs::copy_file(bob.publicKey(), alice.keyFolder + "unlisted.kpub");
    EXPECT_EQ(chain.keyFilesIn(alice.keyFolder),
              (std::vector<std::string>{alice.keyFolder + "alice))bob-auth.kpub", alice.keyFolder + "carol.kpub"}));
    const auto names = chain.lookup(alice.keyFolder + "carol.kpub");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->first, "Carol C.");
    EXPECT_EQ(names->second, "carol@example.org");
    EXPECT_FALSE(chain.lookup(alice.keyFolder + "unlisted.kpub"));
}

TEST_F(DestinationListTest, StrayKeysAreOfferedOnceAndRegisteredWithTheirRecordNames)
{
    authKeyFor(alice, bob);
    fs::copy_file(outside + "alice))bob-auth.kpub", alice.keyFolder + "alice))bob-auth.kpub");
    fs::create_directories(alice.keyFolder + "sub");
    fs::copy_file(carol.publicKey(), alice.keyFolder + "sub/carol.kpub");
    fs::copy_file(bob.publicKey(), alice.keyFolder + "brellwick_vuz.kpub");
    // Not stray: Alice's own key, a key made for Carol, a damaged file, a hidden one.
    fs::copy_file(alice.publicKey(), alice.keyFolder + "alice.kpub");
    fs::copy_file(authKeyFor(carol, alice), alice.keyFolder + "carol))alice-auth.kpub");
    writeWholeFile(alice.keyFolder + "broken.kpub", "xx", 2);
    fs::copy_file(carol.publicKey(), alice.keyFolder + ".hidden.kpub");

    StrayKeys strays(messenger, keys);
    EXPECT_EQ(strays.find().size(), 3u);
    EXPECT_EQ(strays.offer(), 0u);  // No
    EXPECT_EQ(ui.last().text, "登録されていない鍵が3個発見されました。これらの鍵を登録しますか？");
    EXPECT_EQ(strays.offer(), 0u);
    EXPECT_EQ(ui.count(Kind::YesNo), 1u);
    EXPECT_FALSE(fs::exists(alice.keyFolder + "member.dat"));

    StrayKeys again(messenger, keys);
    ui.clear();
    ui.answerYesNo(true);
    EXPECT_EQ(again.offer(), 3u);
    const auto reports = ui.textsOf(Kind::Message);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(std::find(reports.begin(), reports.end(), "Bobさんの鍵、\nalice))bob-auth.kpub\nを登録しました。"),
              reports.end());
    EXPECT_NE(std::find(reports.begin(), reports.end(), "Brellwickさんの鍵、\nbrellwick_vuz.kpub\nを登録しました。"),
              reports.end());
    EXPECT_EQ(ui.shown().back().caption, "鍵の登録");
    const auto bobRecord = MemberRecords::find(alice.keyFolder, "alice))bob-auth.kpub");
    ASSERT_TRUE(bobRecord);
    EXPECT_EQ(bobRecord->mail, "bob@example.org");
    EXPECT_TRUE(MemberRecords::find(alice.keyFolder + "sub/", "carol.kpub"));
    EXPECT_TRUE(again.find().empty());
}

namespace {

// Bob encrypts a file for Alice with the authenticated key Alice made for him.
class SenderIdentificationTest : public DestinationListTest {
protected:
    std::string containerFromBob()
    {
        const std::string forBob = authKeyFor(bob, alice);
        const std::string plain = outside + "note.txt";
        writeWholeFile(plain, "hello", 5);
        FileEncryptor encryptor(messenger);
        encryptor.setSender({bob.publicKey(), bob.privateKey(), "Bob", "bob@example.org", 0});
        encryptor.setRecipients({forBob});
        encryptor.resetContentKey();
        const std::string container = plain + ".klx";
        EXPECT_EQ(encryptor.encryptBody(plain, container, 0), 1);
        EXPECT_EQ(encryptor.writeContainerTail(container, plain, kKindMainWindow), 1);
        return container;
    }

    int open(const std::string& container)
    {
        FileDecryptor decryptor(messenger, alice.publicKey(), alice.privateKey());
        KeyFolderSenderDirectory directory(keys);
        decryptor.setSenderDirectory(&directory);
        std::string name;
        return decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true);
    }
};

} // namespace

TEST_F(SenderIdentificationTest, UnknownSenderUntilHisKeyIsRegistered)
{
    const std::string container = containerFromBob();
    EXPECT_EQ(open(container), 1);
    auto chain = list("Bobby", "bobby@example.org");
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    chain.makeFolder("x");
    chain.move({0}, alice.keyFolder + "x");
    EXPECT_EQ(open(container), 2);
    const auto record = MemberRecords::find(alice.keyFolder + "x/", "alice))bob-auth.kpub");
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->lastUse.isSet());
    EXPECT_EQ(ui.count(Kind::YesNo), 0u);
}

TEST_F(SenderIdentificationTest, AStaleEntryAsksToRenewAndNoKeepsIt)
{
    const std::string container = containerFromBob();
    auto chain = list("Bobby", "bobby@example.org");
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    SystemTime stale;
    stale.year = 2001;
    stale.month = 1;
    stale.day = 1;
    MemberRecords::update(alice.keyFolder, "alice))bob-auth.kpub", [&](auto& r) { r.expiry = stale; });

    EXPECT_EQ(open(container), 4);
    EXPECT_EQ(ui.last().text, "Succeed in Decryption.\nDo you renew KeyChainList?\n\nUserName:Bob\nMailAddress:bob@example.org");
    EXPECT_EQ(MemberRecords::find(alice.keyFolder, "alice))bob-auth.kpub")->expiry, stale);

    ui.answerYesNo(true);
    EXPECT_EQ(open(container), 4);
    const auto renewed = MemberRecords::find(alice.keyFolder, "alice))bob-auth.kpub");
    EXPECT_FALSE(renewed->expiry.isSet());
    EXPECT_TRUE(renewed->lastUse.isSet());
    EXPECT_EQ(open(container), 2);
}

TEST_F(SenderIdentificationTest, OneDirectoryWritesTheLastUseOnceAndSeesReplacedKeys)
{
    const std::string container = containerFromBob();
    auto chain = list("Bobby", "bobby@example.org");
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, bob)));
    const std::string memberFile = alice.keyFolder + "member.dat";
    const auto before = readWholeFile(memberFile);

    FileDecryptor decryptor(messenger, alice.publicKey(), alice.privateKey());
    KeyFolderSenderDirectory directory(keys);
    decryptor.setSenderDirectory(&directory);
    std::string name;
    EXPECT_EQ(decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true), 2);
    EXPECT_EQ(decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true), 2);
    EXPECT_EQ(readWholeFile(memberFile), before);  // kept back until the batch ends
    directory.flush();
    EXPECT_TRUE(MemberRecords::find(alice.keyFolder, "alice))bob-auth.kpub")->lastUse.isSet());

    // The entry's key file now holds Carol's identity: Bob is no longer named.
    const std::string entryKey = alice.keyFolder + "alice))bob-auth.kpub";
    ::chmod(entryKey.c_str(), 0644);
    const auto carolsKey = readWholeFile(authKeyFor(alice, carol));
    ASSERT_TRUE(carolsKey);
    ASSERT_TRUE(writeWholeFile(entryKey, carolsKey->data(), carolsKey->size()));
    EXPECT_EQ(decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true), 1);
}

TEST_F(SenderIdentificationTest, AMatchingTagWithAnotherIdentityDoesNotNameTheSender)
{
    const std::string container = containerFromBob();
    // Carol's authenticated key for Alice, relabelled with Bob's tag.
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, carol)));
    const auto bobTag = keys.senderTagOfKeyFile(bob.publicKey());
    MemberRecords::update(alice.keyFolder, "alice))carol-auth.kpub",
                          [&](auto& r) { r.senderTag = static_cast<uint32_t>(*bobTag); });
    EXPECT_EQ(open(container), 1);
}

TEST_F(DestinationListTest, TheOwnKeySetsFilesStayWhereEveryCommandLooksForThem)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(authKeyFor(alice, alice)));
    const std::string self = alice.keyFolder + "alice))alice-auth.kpub";
    ASSERT_TRUE(chain.makeFolder("work"));
    const std::string work = alice.keyFolder + "work/";
    const std::string refusal = messenger.format(Msg::OwnKeySetFileNotMoved, self);

    EXPECT_FALSE(chain.registerKey(self, work));
    EXPECT_EQ(ui.last().text, refusal);
    chain.showFolder();
    EXPECT_EQ(chain.move({0}, work), 0u);
    EXPECT_EQ(ui.last().text, refusal);
    EXPECT_TRUE(fs::exists(self));
    EXPECT_FALSE(fs::exists(work + KeyFileNames::fileNameOf(self)));

    // Whatever path leads to them (another name for the same file included),
    // the key pair is never taken out of the key root either.
    fs::create_hard_link(alice.publicKey(), outside + "mine.kpub");
    keys.openFolder(work);
    for (const std::string& path : {alice.publicKey(), outside + "mine.kpub", alice.privateKey()})
        EXPECT_EQ(keys.addKey("Me", "me@example.org", path), CKeyManager::kOwnKeySetFile) << path;
    EXPECT_TRUE(fs::exists(alice.publicKey()));
    EXPECT_TRUE(fs::exists(alice.privateKey()));
}

TEST_F(DestinationListTest, AKeyFileSharedWithAnotherNameLosesOnlyItsNameWhenDeleted)
{
    auto chain = list();
    ASSERT_TRUE(chain.registerKey(plainKeyOutside(bob, "b1.kpub")));
    const std::string listed = alice.keyFolder + "b1.kpub";
    const std::string backup = outside + "bob-backup.kpub";
    ASSERT_TRUE(FileAttributes::setReadOnly(listed));
    fs::create_hard_link(listed, backup);
    const auto bytes = readWholeFile(backup);
    chain.showFolder();
    ui.answerContinue(0);
    EXPECT_EQ(chain.deleteEntries({0}), 1u);
    EXPECT_FALSE(fs::exists(listed));
    EXPECT_EQ(readWholeFile(backup), bytes);
    EXPECT_TRUE(FileAttributes::isReadOnly(backup));
    EXPECT_EQ(ui.last().text, messenger.format(Msg::SharedContentNotOverwritten, listed));
    EXPECT_EQ(chain.showFolder().rows.size(), 0u);
}
