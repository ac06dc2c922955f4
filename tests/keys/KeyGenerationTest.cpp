#include "KeysTestSupport.h"

#include "engine/CSHA.h"
#include "engine/IdentityBlock.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/KeyFileStore.h"
#include "keys/KeySetGenerator.h"
#include "keys/KeySetNameRules.h"
#include "keys/KeySetSetup.h"

using namespace mvx;
using namespace mvx::test;

namespace {

class KeyGenerationTest : public KeysTest {
protected:
    std::string root() const { return folder.path(); }
};

std::string kana(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\xE3\x81\x82";
    return text;
}

} // namespace

TEST_F(KeyGenerationTest, GeneratorNameRules)
{
    EXPECT_EQ(KeySetNameRules::check(std::string(60, 'a')), KeySetNameRules::kNameOk);
    EXPECT_EQ(KeySetNameRules::check(std::string(61, 'a')), KeySetNameRules::kNameTooLong);
    EXPECT_EQ(KeySetNameRules::check(kana(30)), KeySetNameRules::kNameOk);
    EXPECT_EQ(KeySetNameRules::check(kana(31)), KeySetNameRules::kNameTooLong);
    for (char c : std::string("\\/:*?\"<>|"))
        EXPECT_EQ(KeySetNameRules::check(std::string("a") + c + "b"), KeySetNameRules::kNameForbiddenCharacter) << c;
    EXPECT_EQ(KeySetNameRules::check("v1.0"), KeySetNameRules::kNameOk);

    KeySetGenerator generator(messenger);
    generator.setTargetFolder(root());
    EXPECT_EQ(generator.generateKeySet(std::string(61, 'a')), KeySetGenerator::kNameTooLong);
    EXPECT_EQ(generator.generateKeySet("a/b"), KeySetGenerator::kForbiddenCharacter);
    EXPECT_TRUE(FileAttributes::entries(root()).empty());
}

TEST_F(KeyGenerationTest, WizardNameMessagesInOrder)
{
    EXPECT_FALSE(KeySetNameRules::checkForWizard("", root(), messenger));
    EXPECT_EQ(ui.last().text, "No File Name\nPlease fill in File Name.");
    EXPECT_FALSE(KeySetNameRules::checkForWizard(" alice", root(), messenger));
    EXPECT_EQ(ui.last().text, "No File Name\nPlease fill in File Name.");
    EXPECT_FALSE(KeySetNameRules::checkForWizard(std::string(61, 'a'), root(), messenger));
    EXPECT_EQ(ui.last().text, "Key file name is too long.Please set no more than 60 half-size font character.");
    EXPECT_FALSE(KeySetNameRules::checkForWizard("alice.old", root(), messenger));
    EXPECT_EQ(ui.last().text,
              "Cannot use Following character for Key File Name\n\n\t\\/:*'<>|.\n\nPlease make sure of File's Name.");
    writeWholeFile(root() + "alice.kpub", "x", 1);
    EXPECT_FALSE(KeySetNameRules::checkForWizard("alice", root(), messenger));
    EXPECT_EQ(ui.last().text, "This KeyFile has already existed.Please create Key file of Another Name.");
    ui.clear();
    EXPECT_TRUE(KeySetNameRules::checkForWizard(kana(30), root(), messenger));
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(KeyGenerationTest, SecondRunWithTheSameNameIsRefusedBeforeWriting)
{
    writeWholeFile(root() + "alice.kpub", "old", 3);
    KeySetGenerator generator(messenger);
    generator.setTargetFolder(root());
    EXPECT_EQ(generator.generateKeySet("alice"), KeySetGenerator::kNotWritten);
    EXPECT_EQ(ui.last().text, "Fall in creation of new keyfiles.\nPlease check KeyFile'sName.");
    EXPECT_EQ(bytesOf(root() + "alice.kpub"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(FileAttributes::exists(root() + "alicePrivate.kpri"));
}

TEST_F(KeyGenerationTest, KeySetTagIsTheMiddleOfTheTickDigest)
{
    const auto tag = KeySetGenerator::keySetTag(123456);
    const auto digest = CSHA::digestOf("123456", 6);
    EXPECT_EQ(tag, std::vector<uint8_t>(digest.begin() + 16, digest.begin() + 48));
    EXPECT_NE(KeySetGenerator::keySetTag(-5), KeySetGenerator::keySetTag(5));
}

// One generated key set serves the whole flow after the wizard's Finish.
TEST_F(KeyGenerationTest, FinishMakesTheWholeKeySet)
{
    Clock::setFixed(SystemTime{2026, 9, 0, 1, 8, 0, 0, 0}.toUnix());
    std::vector<KeySetSettings> saved;
    KeySetSetup setup(messenger, [&saved](const KeySetSettings& s) {
        saved.push_back(s);
        return true;
    });
    const auto result = setup.finish({root(), "alice", "Alice", "alice@example.org"});
    ASSERT_TRUE(result.done);
    EXPECT_TRUE(ui.shown().empty());

    // Key files: 152 and 648 bytes, read-only, a valid pair.
    EXPECT_EQ(FileAttributes::size(root() + "alice.kpub"), 152);
    EXPECT_EQ(FileAttributes::size(root() + "alicePrivate.kpri"), 648);
    EXPECT_TRUE(FileAttributes::isReadOnly(root() + "alice.kpub"));
    EXPECT_TRUE(FileAttributes::isReadOnly(root() + "alicePrivate.kpri"));
    EXPECT_TRUE(KeyFileStore::keyPairIsValid(root() + "alice.kpub", root() + "alicePrivate.kpri"));
    const auto privateFile = bytesOf(root() + "alicePrivate.kpri");
    EXPECT_EQ(SystemTime::fromBytes(privateFile.data() + 600), Clock::now());

    // Settings name the new set, saved before and after the key folder was filled.
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved.back().keyPairRoot, root());
    EXPECT_EQ(saved.back().publicKeyName, "alice.kpub");
    EXPECT_EQ(saved.back().privateKeyName, "alicePrivate.kpri");
    EXPECT_EQ(saved.back().memberFileName, "aliceMember.txt");

    // Key folder, personal information and the registered self-authentication key.
    EXPECT_EQ(result.keyFolder, root() + "KeyList_alice/");
    CKeyManager keys(messenger);
    keys.findOwnKeySet(root(), "alice.kpub", "alicePrivate.kpri");
    EXPECT_EQ(keys.userName(), "Alice");
    EXPECT_EQ(keys.mail(), "alice@example.org");
    ASSERT_EQ(keys.openFolder(result.keyFolder), CKeyManager::kFolderOpened);
    EXPECT_EQ(keys.authenticatedKeyNames(), std::vector<std::string>{"alice))alice-auth.kpub"});
    ASSERT_EQ(keys.authenticatedRecords().size(), 1u);
    EXPECT_EQ(keys.authenticatedRecords()[0].displayName, "自身のファイル暗号化用");
    EXPECT_EQ(keys.authenticatedRecords()[0].mail, "");
    EXPECT_FALSE(keys.authenticatedRecords()[0].expiry.isSet());
    EXPECT_FALSE(FileAttributes::exists(root() + "alice))alice-auth.kpub"));
    EXPECT_EQ(result.selfAuthKeyPath, result.keyFolder + "alice))alice-auth.kpub");
    const auto self = keys.readAuthenticatedKey(result.selfAuthKeyPath);
    ASSERT_EQ(self.result, CKeyManager::kAuthKeyRead);
    EXPECT_EQ(self.identityHash, IdentityBlock::fromPrivateKeyPath(root() + "alicePrivate.kpri")->hash());

    // A second Finish with the same name changes nothing.
    const auto publicBefore = bytesOf(root() + "alice.kpub");
    const auto again = setup.finish({root(), "alice", "Other", "other@example.org"});
    EXPECT_FALSE(again.done);
    EXPECT_EQ(ui.last().text, "This KeyFile has already existed.Please create Key file of Another Name.");
    EXPECT_EQ(bytesOf(root() + "alice.kpub"), publicBefore);
    EXPECT_EQ(bytesOf(root() + "alicePrivate.kpri"), privateFile);
    EXPECT_EQ(saved.size(), 2u);
}

TEST_F(KeyGenerationTest, FinishRefusesABadNameWithItsMessage)
{
    KeySetSetup setup(messenger, nullptr);
    EXPECT_FALSE(setup.finish({root(), "a.b", "A", "a@example.org"}).done);
    EXPECT_EQ(ui.last().text,
              "Cannot use Following character for Key File Name\n\n\t\\/:*'<>|.\n\nPlease make sure of File's Name.");
    EXPECT_TRUE(FileAttributes::entries(root()).empty());
}
