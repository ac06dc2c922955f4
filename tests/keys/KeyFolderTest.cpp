#include "KeysTestSupport.h"

#include "engine/Crc64.h"
#include "engine/RsaKeyWrapper.h"
#include "engine/SenderTag.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"

using namespace mvx;
using namespace mvx::test;

namespace {

class KeyFolderTest : public KeysTest {
protected:
    void SetUp() override
    {
        alice = makeUser("reader", "alice", "Alice");
        useKeySetOf(keys, alice);
    }

    std::string placeCopy(const std::string& vectorName, const std::string& as, const std::string& where)
    {
        std::filesystem::copy_file(vectorFile(vectorName), where + as);
        return where + as;
    }

    TestUser alice;
    CKeyManager keys{messenger};
};

} // namespace

TEST_F(KeyFolderTest, KeyFolderNameGivesTheOwnerAfterTheFirstUnderscore)
{
    EXPECT_EQ(KeyFileNames::keyFolder("/keys/", "a_b"), "/keys/KeyList_a_b/");
    EXPECT_EQ(KeyFileNames::ownerOfKeyFolder("/keys/KeyList_a_b/"), "a_b");
    keys.setKeyFolder(folder.path() + "alice/KeyList_a_b");
    EXPECT_EQ(keys.owner(), "a_b");
    EXPECT_EQ(keys.keyFolder(), folder.path() + "alice/KeyList_a_b/");
}

TEST_F(KeyFolderTest, OwnKeySetIsFoundFromTheSettingsNames)
{
    EXPECT_EQ(keys.keyFolder(), alice.keyFolder);
    EXPECT_EQ(keys.owner(), "alice");
    EXPECT_EQ(keys.userName(), "Alice");
    EXPECT_EQ(keys.mail(), "alice@example.org");
    const auto blob = RsaKeyWrapper::readBlobFromKeyFile(alice.publicKey());
    EXPECT_EQ(keys.ownFingerprint(), crc64we(blob.data(), blob.size()));

    CKeyManager upperCase(messenger);
    upperCase.findOwnKeySet(alice.keyRoot, "alice.kpub", "alicePRIVATE.KPRI");
    EXPECT_EQ(upperCase.keyFolder(), alice.keyFolder);
}

TEST_F(KeyFolderTest, KeyPairValidityChecksBothLengths)
{
    EXPECT_TRUE(KeyFileStore::keyPairIsValid(alice.publicKey(), alice.privateKey()));
    auto privateBytes = bytesOf(alice.privateKey());
    for (size_t length : {size_t{647}, size_t{649}}) {
        auto changed = privateBytes;
        changed.resize(length, 0);
        writeWholeFile(folder.file("odd.kpri"), changed.data(), changed.size());
        EXPECT_FALSE(KeyFileStore::keyPairIsValid(alice.publicKey(), folder.file("odd.kpri"))) << length;
    }
    auto publicBytes = bytesOf(alice.publicKey());
    publicBytes.push_back(0);
    writeWholeFile(folder.file("long.kpub"), publicBytes.data(), publicBytes.size());
    EXPECT_FALSE(KeyFileStore::keyPairIsValid(folder.file("long.kpub"), alice.privateKey()));
    EXPECT_FALSE(KeyFileStore::keyPairIsValid(folder.file("missing.kpub"), alice.privateKey()));
}

TEST_F(KeyFolderTest, KindCheckAcceptsOnlyWellSizedPublicAndAuthenticatedKeys)
{
    EXPECT_TRUE(KeyFileStore::passesKindCheck(alice.publicKey()));
    EXPECT_FALSE(KeyFileStore::passesKindCheck(alice.privateKey()));
    const std::string auth152 = placeCopy("sender.kpub", "x))y-auth.kpub", folder.path());
    EXPECT_FALSE(KeyFileStore::passesKindCheck(auth152));
    auto bytes = bytesOf(auth152);
    bytes.resize(284, 1);
    writeWholeFile(folder.file("x))z-AUTH.kpub"), bytes.data(), bytes.size());
    EXPECT_TRUE(KeyFileStore::passesKindCheck(folder.file("x))z-AUTH.kpub")));
    EXPECT_FALSE(KeyFileStore::passesKindCheck(folder.file("notes.txt")));
}

TEST_F(KeyFolderTest, EmptyFolderOpensAsEmptyAndMemberFileAloneKeepsItsRecords)
{
    const std::string empty = alice.keyFolder + "empty/";
    std::filesystem::create_directories(empty);
    EXPECT_EQ(keys.openFolder(empty), CKeyManager::kFolderEmpty);
    EXPECT_EQ(keys.openFolder(alice.keyFolder + "missing/"), CKeyManager::kFolderEmpty);

    CKeyManager::UserData record;
    record.displayName = "Carol";
    record.fileName = "carol.kpub";
    ASSERT_TRUE(CKeyManager::saveMemberFile(empty + "member.dat", {record}));
    EXPECT_EQ(keys.openFolder(empty), CKeyManager::kFolderOpened);
    EXPECT_TRUE(keys.authenticatedKeyNames().empty());
    EXPECT_TRUE(keys.publicKeyNames().empty());
    ASSERT_EQ(keys.authenticatedRecords().size(), 1u);
    EXPECT_EQ(keys.authenticatedRecords()[0].displayName, "Carol");
    // A subfolder lists the way back up; the key folder itself does not.
    EXPECT_EQ(keys.folderNames(), std::vector<std::string>{CKeyManager::kParentEntry});
}

TEST_F(KeyFolderTest, ScanSortsKeysByKindAndLeavesOutTheOwnersKey)
{
    placeCopy("reader.kpub", "alice.kpub", alice.keyFolder);
    placeCopy("sender.kpub", "bob.kpub", alice.keyFolder);
    placeCopy("sender.kpub", "alice))bob-auth.kpub", alice.keyFolder);
    std::filesystem::create_directories(alice.keyFolder + "friends");
    ASSERT_EQ(keys.openFolder(alice.keyFolder), CKeyManager::kFolderOpened);
    EXPECT_EQ(keys.publicKeyNames(), std::vector<std::string>{"bob.kpub"});
    EXPECT_EQ(keys.authenticatedKeyNames(), std::vector<std::string>{"alice))bob-auth.kpub"});
    EXPECT_EQ(keys.folderNames(), std::vector<std::string>{"friends"});
}

TEST_F(KeyFolderTest, DeletingTheLastEntryDeletesTheMemberFile)
{
    ASSERT_EQ(keys.openFolder(alice.keyFolder), CKeyManager::kFolderOpened);
    const std::string bob = placeCopy("sender.kpub", "bob.kpub", folder.path());
    ASSERT_EQ(keys.addKey("Bob", "bob@example.org", bob), CKeyManager::kKeyAdded);
    ASSERT_TRUE(keys.saveMemberFiles());
    EXPECT_TRUE(FileAttributes::exists(alice.keyFolder + "pubkey_member.dat"));
    EXPECT_FALSE(FileAttributes::exists(alice.keyFolder + "member.dat"));
    ASSERT_TRUE(keys.removeRecord(0));
    ASSERT_TRUE(keys.saveMemberFiles());
    EXPECT_FALSE(FileAttributes::exists(alice.keyFolder + "pubkey_member.dat"));
}

TEST_F(KeyFolderTest, AddKeyMovesTheFileInAndFillsTheRecord)
{
    ASSERT_EQ(keys.openFolder(alice.keyFolder), CKeyManager::kFolderOpened);
    const std::string outside = placeCopy("sender.kpub", "bob.kpub", folder.path());
    ASSERT_EQ(keys.addKey("Bob", "bob@example.org", outside), CKeyManager::kKeyAdded);
    EXPECT_FALSE(FileAttributes::exists(outside));
    EXPECT_TRUE(FileAttributes::exists(alice.keyFolder + "bob.kpub"));
    ASSERT_EQ(keys.publicRecords().size(), 1u);
    const auto& record = keys.publicRecords()[0];
    EXPECT_EQ(record.fileName, "bob.kpub");
    EXPECT_EQ(record.registered, FileAttributes::lastWriteTime(alice.keyFolder + "bob.kpub"));
    const auto blob = RsaKeyWrapper::readBlobFromKeyFile(alice.keyFolder + "bob.kpub");
    EXPECT_EQ(record.senderTag, SenderTag::ofBlob(blob.data(), blob.size()));
    EXPECT_FALSE(record.lastUse.isSet());

    keys.saveMemberFiles();
    const auto disk = bytesOf(alice.keyFolder + "pubkey_member.dat");
    EXPECT_EQ(disk.size(), 4u + 447u);
    const auto back = CKeyManager::loadMemberFile(alice.keyFolder + "pubkey_member.dat");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].displayName, "Bob");
    EXPECT_EQ(back[0].mail, "bob@example.org");
    EXPECT_EQ(back[0].senderTag, record.senderTag);
    EXPECT_EQ(back[0].registered, record.registered);

    EXPECT_EQ(keys.addKey("Nobody", "", "nobody.kpub"), CKeyManager::kKeyFileNotFound);
}

TEST_F(KeyFolderTest, FieldLimitsAre127And131Bytes)
{
    ASSERT_EQ(keys.openFolder(alice.keyFolder), CKeyManager::kFolderOpened);
    const std::string bob = placeCopy("sender.kpub", "bob.kpub", alice.keyFolder);
    EXPECT_EQ(keys.addKey(std::string(128, 'n'), "", bob), CKeyManager::kKeyRefused);
    EXPECT_EQ(keys.addKey("Bob", std::string(128, 'm'), bob), CKeyManager::kKeyRefused);
    EXPECT_EQ(keys.addKey(std::string(127, 'n'), std::string(127, 'm'), bob), CKeyManager::kKeyAdded);

    const std::string longName = std::string(127, 'k') + ".kpub";  // 132 bytes
    EXPECT_EQ(keys.addKey("Long", "", placeCopy("sender.kpub", longName, folder.path())), CKeyManager::kKeyRefused);
    EXPECT_TRUE(FileAttributes::exists(folder.path() + longName));  // refused before the move
    const std::string fits = std::string(126, 'k') + ".kpub";  // 131 bytes
    EXPECT_EQ(keys.addKey("Fits", "", placeCopy("sender.kpub", fits, folder.path())), CKeyManager::kKeyAdded);

    ASSERT_TRUE(keys.saveMemberFiles());
    const auto back = CKeyManager::loadMemberFile(alice.keyFolder + "pubkey_member.dat");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].displayName, std::string(127, 'n'));
    EXPECT_EQ(back[0].mail, std::string(127, 'm'));
    EXPECT_EQ(back[1].fileName, fits);
}

TEST_F(KeyFolderTest, TruncatedMemberFileKeepsCompleteRecords)
{
    CKeyManager::UserData one;
    one.displayName = "One";
    CKeyManager::UserData two;
    two.displayName = "Two";
    const std::string path = folder.file("member.dat");
    ASSERT_TRUE(CKeyManager::saveMemberFile(path, {one, two}));
    auto bytes = bytesOf(path);
    bytes.resize(bytes.size() - 1);
    writeWholeFile(path, bytes.data(), bytes.size());
    const auto back = CKeyManager::loadMemberFile(path);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].displayName, "One");
}

TEST_F(KeyFolderTest, MemberRecordFileNamesNeverLeaveTheFolder)
{
    CKeyManager::UserData forged;
    forged.fileName = "../../etc/passwd";
    ASSERT_TRUE(CKeyManager::saveMemberFile(folder.file("member.dat"), {forged}));
    EXPECT_EQ(CKeyManager::loadMemberFile(folder.file("member.dat"))[0].fileName, "passwd");
}

TEST_F(KeyFolderTest, SenderTagOfAContainerIsTheTagOfItsAttachedKey)
{
    const auto fromContainer = keys.senderTagOfKeyFile(vectorFile("attach.klx"));
    const auto fromKey = keys.senderTagOfKeyFile(vectorFile("sender.kpub"));
    ASSERT_TRUE(fromContainer && fromKey);
    EXPECT_EQ(*fromContainer, *fromKey);
    EXPECT_TRUE(ui.shown().empty());

    EXPECT_FALSE(keys.senderTagOfKeyFile(folder.file("gone.kpub")));
    EXPECT_EQ(ui.last().text, folder.file("gone.kpub") + " was not found.");
}

TEST_F(KeyFolderTest, OutdatedKeysAcrossTheTreeByWholeMinutes)
{
    Clock::setFixed(SystemTime{2026, 6, 0, 15, 12, 0, 0, 0}.toUnix());
    auto withExpiry = [](const std::string& name, SystemTime expiry) {
        CKeyManager::UserData record;
        record.displayName = name;
        record.fileName = name + "-auth.kpub";
        record.expiry = expiry;
        return record;
    };
    SystemTime fiftyNineSecondsAgo = SystemTime::fromUnix(Clock::unixNow() - 59);
    SystemTime oneMinuteAgo = SystemTime::fromUnix(Clock::unixNow() - 60);
    std::filesystem::create_directories(alice.keyFolder + "group/inner");
    CKeyManager::saveMemberFile(alice.keyFolder + "member.dat",
                                {withExpiry("recent", fiftyNineSecondsAgo), withExpiry("none", SystemTime{}),
                                 withExpiry("future", SystemTime::fromUnix(Clock::unixNow() + 3600))});
    CKeyManager::saveMemberFile(alice.keyFolder + "group/inner/member.dat",
                                {withExpiry("old", oneMinuteAgo), withExpiry("ancient", SystemTime{1601, 1, 0, 1})});

    const auto outdated = keys.findOutdatedKeys();
    ASSERT_EQ(outdated.size(), 2u);
    EXPECT_EQ(outdated[0].displayName, "old");
    EXPECT_EQ(outdated[0].fileName, "old-auth.kpub");
    EXPECT_EQ(outdated[0].expiry, "2026/06/15");
    EXPECT_EQ(outdated[1].displayName, "ancient");
    EXPECT_EQ(outdated[1].expiry, "1601/01/01");
}

TEST_F(KeyFolderTest, KeyPairPickedByHand)
{
    TestUser bob = makeUser("sender", "bob", "Bob");
    EXPECT_EQ(keys.adoptKeyPair(bob.publicKey(), alice.privateKey()), 0);
    EXPECT_EQ(ui.last().text, "The content of the key pair that has been selected now is abnormal. ");
    EXPECT_EQ(keys.keyFolder(), alice.keyFolder);

    EXPECT_EQ(keys.adoptKeyPair(bob.publicKey(), bob.privateKey()), 1);
    EXPECT_EQ(ui.last().text, "PublicKey: " + bob.publicKey() + "\nPrivateKey: " + bob.privateKey() + "\n  changed.");
    EXPECT_EQ(keys.keyFolder(), bob.keyFolder);
    EXPECT_EQ(keys.ownPrivateKeyPath(), bob.privateKey());
    EXPECT_EQ(keys.userName(), "Bob");
}

TEST_F(KeyFolderTest, PersonalInformationIsTwoLines)
{
    ASSERT_TRUE(keys.writePersonalInfo("Alice\nLiddell", "alice@example.org"));
    const auto bytes = bytesOf(alice.keyFolder + "personalinfo.dat");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Alice Liddell\nalice@example.org\n");
    CKeyManager again(messenger);
    useKeySetOf(again, alice);
    EXPECT_EQ(again.userName(), "Alice Liddell");
    EXPECT_EQ(again.mail(), "alice@example.org");
}
