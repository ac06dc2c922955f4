#include "KeysTestSupport.h"

#include "engine/Crc64.h"
#include "engine/IdentityBlock.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/CKeyChain.h"
#include "keys/KeyFileNames.h"

using namespace mvx;
using namespace mvx::test;

namespace {

// Alice (the vector "reader" keys) authenticates Bob (the vector "sender" keys).
class AuthenticationTest : public KeysTest {
protected:
    void SetUp() override
    {
        Clock::setFixed(SystemTime{2026, 5, 0, 20, 10, 30, 0, 0}.toUnix());
        alice = makeUser("reader", "alice", "Alice");
        bob = makeUser("sender", "bob", "Bob");
        bobKeyAtAlice = alice.keyFolder + "bob.kpub";
        std::filesystem::copy_file(bob.publicKey(), bobKeyAtAlice);
    }

    KeyAuthenticator authenticatorFor(const TestUser& user, KeyAuthenticator::Dialogs dialogs = {})
    {
        if (!dialogs.askExpiry)
            dialogs.askExpiry = [](AuthExpiryRules&) { return true; };
        return KeyAuthenticator(messenger, identityOf(user), std::move(dialogs));
    }

    CKeyManager::AuthenticatedKey readAs(const TestUser& user, const std::string& path)
    {
        CKeyManager keys(messenger);
        useKeySetOf(keys, user);
        return keys.readAuthenticatedKey(path);
    }

    IdentityBlock::Hash identityHashOf(const TestUser& user)
    {
        return IdentityBlock::fromPrivateKeyPath(user.privateKey(), "test installation")->hash();
    }

    TestUser alice;
    TestUser bob;
    std::string bobKeyAtAlice;
};

} // namespace

TEST_F(AuthenticationTest, PartnersKeyGivesAKeyOnlyThePartnerCanRead)
{
    auto authenticator = authenticatorFor(alice);
    const std::string made = authenticator.authenticate({bobKeyAtAlice}, false, true);
    EXPECT_EQ(made, alice.keyFolder + "bob))alice-auth.kpub");
    EXPECT_EQ(FileAttributes::size(made), 284);
    EXPECT_TRUE(FileAttributes::isReadOnly(made));
    // The file carries Alice's public key.
    EXPECT_EQ(RsaKeyWrapper::readBlobFromKeyFile(made), RsaKeyWrapper::readBlobFromKeyFile(alice.publicKey()));

    const auto forBob = readAs(bob, made);
    ASSERT_EQ(forBob.result, CKeyManager::kAuthKeyRead);
    EXPECT_EQ(forBob.userName, "Alice");
    EXPECT_EQ(forBob.mail, "alice@example.org");
    EXPECT_EQ(forBob.identityHash, identityHashOf(alice));
    EXPECT_EQ(forBob.authenticated, Clock::now());
    EXPECT_EQ(forBob.issuerMark, 2);
    EXPECT_FALSE(forBob.expiry.isSet());

    EXPECT_EQ(readAs(alice, made).result, CKeyManager::kNotAuthenticated);
}

TEST_F(AuthenticationTest, OwnKeyGivesTheSelfAuthenticationKey)
{
    auto authenticator = authenticatorFor(alice);
    const std::string made = authenticator.authenticate({alice.publicKey()}, true, true);
    EXPECT_EQ(made, alice.keyRoot + "alice))alice-auth.kpub");
    const auto forAlice = readAs(alice, made);
    ASSERT_EQ(forAlice.result, CKeyManager::kAuthKeyRead);
    EXPECT_EQ(forAlice.identityHash, identityHashOf(alice));
}

TEST_F(AuthenticationTest, ReceivedAuthenticatedKeySwapsTheRoles)
{
    EXPECT_EQ(KeyAuthenticator::targetPathFor("/k/B))A-auth.kpub", "/r/B.kpub"), "/k/A))B-auth.kpub");
    EXPECT_EQ(KeyAuthenticator::targetPathFor("/k/B.kpub", "/r/A.kpub"), "/k/B))A-auth.kpub");

    // Bob received bob))alice-auth.kpub and authenticates Alice with it.
    const std::string received = authenticatorFor(alice).authenticate({bobKeyAtAlice}, true, true);
    const std::string atBob = bob.keyFolder + KeyFileNames::fileNameOf(received);
    std::filesystem::copy_file(received, atBob);
    const std::string made = authenticatorFor(bob).authenticate({atBob}, true, true);
    EXPECT_EQ(made, bob.keyFolder + "alice))bob-auth.kpub");
    EXPECT_EQ(readAs(alice, made).result, CKeyManager::kAuthKeyRead);
    EXPECT_EQ(readAs(alice, made).userName, "Bob");
}

TEST_F(AuthenticationTest, UserNameIsCutTo20BytesWithoutTerminator)
{
    TestUser longNamed = alice;
    longNamed.userName = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 characters
    const std::string made = authenticatorFor(longNamed).authenticate({bobKeyAtAlice}, true, true);
    const auto forBob = readAs(bob, made);
    ASSERT_EQ(forBob.result, CKeyManager::kAuthKeyRead);
    EXPECT_EQ(forBob.userName, "ABCDEFGHIJKLMNOPQRST");
}

TEST_F(AuthenticationTest, SecondAuthenticationAsksEvenAfterTheFileWasDeleted)
{
    auto authenticator = authenticatorFor(alice);
    const std::string made = authenticator.authenticate({bobKeyAtAlice}, true, true);
    ASSERT_FALSE(made.empty());
    EXPECT_TRUE(ui.shown().empty());
    std::filesystem::permissions(made, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    std::filesystem::remove(made);

    ui.answerYesNo(false);
    EXPECT_EQ(authenticator.authenticate({bobKeyAtAlice}, true, true), "");
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.last().text,
              "This PublicKey has already been authenticated in the past. Do you authenticate it again?");
    EXPECT_FALSE(FileAttributes::exists(made));

    // The history survives in the key folder for another run of the program.
    KeyAuthenticator later = authenticatorFor(alice);
    ui.answerYesNo(true);
    EXPECT_EQ(later.authenticate({bobKeyAtAlice}, true, true), made);
    CAuthManager history;
    ASSERT_TRUE(history.load(alice.keyFolder + "authhistory.dat"));
    ASSERT_EQ(history.records().size(), 2u);
    const auto blob = RsaKeyWrapper::readBlobFromKeyFile(bobKeyAtAlice);
    EXPECT_EQ(history.records()[1].fingerprint, crc64we(blob.data(), blob.size()));
    EXPECT_EQ(history.records()[1].fileName, "bob))alice-auth.kpub");
    EXPECT_TRUE(history.contains(bobKeyAtAlice));
    EXPECT_FALSE(history.contains(alice.publicKey()));
}

TEST_F(AuthenticationTest, ExistingTargetIsKeptWhenOverwriteIsRefused)
{
    const std::string made = authenticatorFor(alice).authenticate({bobKeyAtAlice}, true, true);
    const auto before = bytesOf(made);
    std::filesystem::remove(alice.keyFolder + "authhistory.dat");
    ui.clear();
    ui.answerYesNo(false);
    Clock::advance(3600);
    EXPECT_EQ(authenticatorFor(alice).authenticate({bobKeyAtAlice}, true, true), "");
    EXPECT_EQ(ui.last().text, "Key (" + made +
                                  ") of the authentication ending opening to the public that already exists is "
                                  "overwrited when authenticating it. Is it good?");
    EXPECT_EQ(bytesOf(made), before);

    ui.answerYesNo(true);
    EXPECT_EQ(authenticatorFor(alice).authenticate({bobKeyAtAlice}, true, true), made);
    EXPECT_NE(bytesOf(made), before);
    EXPECT_EQ(readAs(bob, made).authenticated, Clock::now());
}

TEST_F(AuthenticationTest, ExpiryFromTheDialogIsCarriedIntoKeyAndHistory)
{
    auto authenticator = authenticatorFor(alice, {nullptr,
                                                  [this](AuthExpiryRules& limits) {
                                                      limits.noLimit = false;
                                                      limits.presetIndex = AuthExpiryRules::OneYear;
                                                      return limits.enforce(messenger);
                                                  },
                                                  nullptr});
    const std::string made = authenticator.authenticate({bobKeyAtAlice}, false, true);
    const auto forBob = readAs(bob, made);
    ASSERT_EQ(forBob.result, CKeyManager::kAuthKeyRead);
    EXPECT_EQ(forBob.expiry.year, 2027);
    EXPECT_EQ(forBob.expiry.month, 5);
    EXPECT_EQ(forBob.expiry.day, 20);
    EXPECT_EQ(forBob.expiry.hour, 23);
    const auto rows = authenticator.history().rows(table);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].date, "2026/05/20 10:30");
    EXPECT_EQ(rows[0].timeLimit, "2027/05/20");

    // Cancel in the expiry dialog makes nothing.
    auto cancelled = authenticatorFor(alice, {nullptr, [](AuthExpiryRules&) { return false; }, nullptr});
    ui.answerYesNo(true);
    EXPECT_EQ(cancelled.authenticate({alice.publicKey()}, false, true), "");
    EXPECT_FALSE(FileAttributes::exists(alice.keyRoot + "alice))alice-auth.kpub"));
}

TEST_F(AuthenticationTest, ChosenKeysAndTheCompletionDialog)
{
    std::vector<std::string> offered = {bobKeyAtAlice, alice.publicKey()};
    std::vector<std::vector<std::string>> completions;
    auto authenticator = authenticatorFor(
        alice, {[&offered](const CAuthManager&) -> std::optional<std::string> {
                    if (offered.empty())
                        return std::nullopt;
                    std::string next = offered.front();
                    offered.erase(offered.begin());
                    return next;
                },
                nullptr,
                [&completions](const std::vector<std::string>& lines, const std::vector<std::string>&) {
                    completions.push_back(lines);
                    return completions.size() < 2;  // go on once
                }});
    const std::string last = authenticator.authenticate({}, true, false);
    EXPECT_EQ(last, alice.keyRoot + "alice))alice-auth.kpub");
    ASSERT_EQ(completions.size(), 2u);
    EXPECT_EQ(completions[0][0], "bob.kpub\tThis key is the received public key.");
    EXPECT_EQ(completions[0][1], "alicePrivate.kpri\tThis key is your private key.");
    EXPECT_EQ(completions[0][2], "bob))alice-auth.kpub\tThis Key is Auth-Key.\nWith this key,Your Partner can "
                                 "create Encrypted Files.");
    EXPECT_EQ(authenticator.madeThisRun().size(), 2u);
}

TEST_F(AuthenticationTest, RefusalsLeaveNothingBehind)
{
    KeyAuthenticator noKeySet(messenger, {}, {});
    EXPECT_EQ(noKeySet.authenticate({bobKeyAtAlice}, true, true), "");
    EXPECT_EQ(ui.last().text, "The first time,You must create key set.\nPlease create key set.");

    EXPECT_EQ(authenticatorFor(alice).authenticate({alice.keyFolder + "nobody.kpub"}, true, true), "");
    EXPECT_EQ(ui.last().text, "Public Key file not found.");

    TestUser withoutPrivate = alice;
    withoutPrivate.name = "ghost";
    auto identity = identityOf(withoutPrivate);
    identity.ownPublicKeyPath = alice.publicKey();
    KeyAuthenticator ghost(messenger, identity, {});
    EXPECT_EQ(ghost.authenticate({bobKeyAtAlice}, true, true), "");
    EXPECT_EQ(ui.last().text, "Not open PrivateKey(" + withoutPrivate.privateKey() + ").\nNot Exist PrivateKey.");

    const std::string damaged = alice.keyFolder + "damaged.kpub";
    const std::vector<uint8_t> junk = {148, 0, 0, 0, 1, 2, 3};
    writeWholeFile(damaged, junk.data(), junk.size());
    EXPECT_EQ(authenticatorFor(alice).authenticate({damaged}, true, true), "");
    EXPECT_EQ(ui.last().text, "The encryption with the public key(s) of your correspondent(s) has not succeded. \n "
                              "Please check the public key(s) of your correspondent(s)");
    EXPECT_FALSE(FileAttributes::exists(alice.keyFolder + "damaged))alice-auth.kpub"));

    // A private key given as the partner's key, even under a public key's name.
    const std::string disguised = alice.keyFolder + "bobby.kpub";
    std::filesystem::copy_file(bob.privateKey(), disguised);
    EXPECT_EQ(authenticatorFor(alice).authenticate({disguised}, true, true), "");
    EXPECT_EQ(ui.last().text, disguised + " holds a private key; only a public key can be used here.");
    EXPECT_FALSE(FileAttributes::exists(alice.keyFolder + "bobby))alice-auth.kpub"));
}

TEST_F(AuthenticationTest, ReadingAuthenticatedKeysReportsWhatIsMissing)
{
    const std::string only152 = bob.keyFolder + "bob))carol-auth.kpub";
    std::filesystem::copy_file(vectorFile("other.kpub"), only152);
    EXPECT_EQ(readAs(bob, only152).result, CKeyManager::kNotAuthenticated);
    EXPECT_EQ(readAs(bob, bob.keyFolder + "none-auth.kpub").result, CKeyManager::kAuthKeyFileMissing);

    CKeyManager noKeySet(messenger);
    EXPECT_EQ(noKeySet.readAuthenticatedKey(only152).result, CKeyManager::kOwnPrivateKeyMissing);

    std::filesystem::remove(bob.privateKey());
    EXPECT_EQ(readAs(bob, only152).result, CKeyManager::kOwnPrivateKeyMissing);
}

TEST_F(AuthenticationTest, IssuerNameFillingTheFieldReadsAsTwentyCharacters)
{
    TestUser twenty = alice;
    twenty.userName = std::string(20, 'Z');
    const std::string made = authenticatorFor(twenty).authenticate({bobKeyAtAlice}, true, true);
    EXPECT_EQ(readAs(bob, made).userName, std::string(20, 'Z'));
}

TEST_F(AuthenticationTest, RenewingOwnKeyAsksToUpdateItsRegisteredCopies)
{
    auto authenticator = authenticatorFor(alice);
    const std::string first = authenticator.authenticate({alice.publicKey()}, true, true);
    std::filesystem::create_directories(alice.keyFolder + "group");
    const std::string copy = alice.keyFolder + "group/alice))alice-auth.kpub";
    std::filesystem::copy_file(first, copy);
    const auto old = bytesOf(copy);

    Clock::advance(86400);
    ui.answerYesNo(true);  // authenticate again
    ui.answerYesNo(true);  // overwrite the target
    ui.answerYesNo(true);  // renew the copies
    const std::string second = authenticator.authenticate({alice.publicKey()}, true, true);
    ASSERT_EQ(second, first);
    EXPECT_EQ(ui.last().text, "This PublicKey is the one of the key pair that has been selected now. Is the key of "
                              "the authentication ending opening to the public registered in the address list "
                              "renewed?");
    EXPECT_EQ(bytesOf(copy), bytesOf(second));
    EXPECT_NE(bytesOf(copy), old);
    EXPECT_TRUE(FileAttributes::isReadOnly(copy));
}

TEST_F(AuthenticationTest, AddingAnAuthenticatedKeyCopiesExpiryAndMark)
{
    auto authenticator = authenticatorFor(alice, {nullptr,
                                                  [this](AuthExpiryRules& limits) {
                                                      limits.noLimit = false;
                                                      limits.presetIndex = AuthExpiryRules::EndOfYear;
                                                      return limits.enforce(messenger);
                                                  },
                                                  nullptr});
    const std::string made = authenticator.authenticate({bobKeyAtAlice}, false, true);
    CKeyManager keys(messenger);
    useKeySetOf(keys, bob);
    ASSERT_EQ(keys.openFolder(bob.keyFolder), CKeyManager::kFolderOpened);
    ASSERT_EQ(keys.addKey("Alice", "alice@example.org", made), CKeyManager::kKeyAdded);
    ASSERT_EQ(keys.authenticatedRecords().size(), 1u);
    const auto& record = keys.authenticatedRecords()[0];
    EXPECT_EQ(record.fileName, "bob))alice-auth.kpub");
    EXPECT_EQ(record.issuerMark, 2);
    EXPECT_EQ(record.expiry.month, 12);
    EXPECT_EQ(record.expiry.day, 31);

    // A key that Bob cannot read is refused.
    const std::string notForBob = authenticatorFor(bob).authenticate({bob.publicKey()}, true, true);
    const std::string moved = folder.path() + "carol))bob-auth.kpub";
    std::filesystem::copy_file(notForBob, moved);
    CKeyManager aliceKeys(messenger);
    useKeySetOf(aliceKeys, alice);
    aliceKeys.openFolder(alice.keyFolder);
    EXPECT_EQ(aliceKeys.addKey("Bob", "", moved), CKeyManager::kAuthKeyUnreadable);
}

TEST_F(AuthenticationTest, ConfirmedOverwriteKeepsTheOldKeyWhenTheNewOneCannotBeMade)
{
    const std::string made = authenticatorFor(alice).authenticate({bobKeyAtAlice}, true, true);
    const auto before = bytesOf(made);
    TestUser withoutPrivate = alice;
    withoutPrivate.name = "ghost";
    auto identity = identityOf(withoutPrivate);
    identity.ownPublicKeyPath = alice.publicKey();
    KeyAuthenticator ghost(messenger, identity, {});
    ui.answerYesNo(true);  // authenticate again
    ui.answerYesNo(true);  // overwrite
    EXPECT_EQ(ghost.authenticate({bobKeyAtAlice}, true, true), "");
    EXPECT_EQ(bytesOf(made), before);
}

TEST_F(AuthenticationTest, MakingAKeyOverAnExistingFileAsksItsOwnQuestion)
{
    auto authenticator = authenticatorFor(alice);
    const std::string made = authenticator.makeAuthenticatedKey(bobKeyAtAlice, SystemTime{}, true);
    ASSERT_EQ(made, alice.keyFolder + "bob))alice-auth.kpub");
    const auto before = bytesOf(made);
    Clock::advance(60);
    ui.answerYesNo(false);
    EXPECT_EQ(authenticator.makeAuthenticatedKey(bobKeyAtAlice, SystemTime{}, true), "");
    EXPECT_EQ(ui.last().text, "The File(" + made + ") has already existed.\nDo you overwrite?");
    EXPECT_EQ(bytesOf(made), before);
}

TEST_F(AuthenticationTest, KeySelectionListsPublicKeysWithTheirHistory)
{
    std::filesystem::copy_file(alice.publicKey(), alice.keyFolder + "alice.kpub");
    std::filesystem::copy_file(vectorFile("other.kpub"), alice.keyFolder + ".hidden.kpub");
    std::filesystem::copy_file(vectorFile("other.kpub"), alice.keyFolder + "carol.KPUB");
    std::filesystem::create_directories(alice.keyFolder + "folder.kpub");
    auto authenticator = authenticatorFor(alice);
    const std::string made = authenticator.authenticate({bobKeyAtAlice}, true, true);

    CKeyChain chain(messenger, alice.keyFolder + "alice.kpub");
    const auto rows = chain.rows(alice.keyFolder, authenticator.history());
    ASSERT_EQ(rows.size(), 3u);  // the authenticated key, the hidden file and the folder are left out
    EXPECT_EQ(rows[0].shown, "Public key for Oneself");
    EXPECT_EQ(rows[0].authLog, "Not Exist");
    EXPECT_EQ(rows[1].shown, "bob.kpub");
    EXPECT_EQ(rows[1].authLog, "Exist");
    EXPECT_EQ(rows[2].shown, "carol.KPUB");

    EXPECT_FALSE(chain.takeSelection(rows, {}));
    EXPECT_EQ(ui.last().text, "Please choose PublicKey");
    EXPECT_EQ(chain.takeSelection(rows, {1, 2}), bobKeyAtAlice);
    EXPECT_EQ(ui.last().text, "Only one PublicKey can be selected. ");

    const auto mails = authenticator.mailsForRun();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].attachment, made);
    EXPECT_EQ(mails[0].subject, "Sending an auth-public key");
}
