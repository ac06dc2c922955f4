#include "EngineTestUtil.h"
#include "FileSizeLimit.h"
#include "ScriptedInteraction.h"
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/CArchiveHistoryMan.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "engine/Crc64.h"
#include "engine/IdentityBlock.h"
#include "engine/MakerKey.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

#include <atomic>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mvx;
using namespace mvx::test;
namespace fs = std::filesystem;

namespace {

constexpr int64_t kNoon = 1772452800;  // a fixed moment for the clock

struct User {
    std::string name;
    std::string publicFile;
    std::string privateFile;
};

User vectorUser(const std::string& name)
{
    return {name, vectorPath("containers/" + name + ".kpub"), vectorPath("containers/" + name + "Private.kpri")};
}

// An authenticated key as "owner" hands it to "holder": the owner's public key,
// and the owner's identity hash sealed for the holder.
std::string makeAuthKey(const TempDir& dir, const User& owner, const User& holder)
{
    auto ownerFile = readFile(owner.publicFile);
    auto identity = IdentityBlock::fromPrivateKeyPath(owner.privateFile);
    EXPECT_TRUE(identity.has_value());
    std::vector<uint8_t> record(115, 0);
    const auto hash = identity->hash();
    std::copy(hash.begin(), hash.end(), record.begin());
    RsaKeyWrapper rsa;
    EXPECT_EQ(rsa.loadFromFile(holder.publicFile), 1);
    std::vector<uint8_t> sealed;
    EXPECT_EQ(rsa.encrypt(record.data(), record.size(), sealed), 1);
    std::vector<uint8_t> file(ownerFile.begin(), ownerFile.end());
    uint8_t length[4];
    putLe32(length, static_cast<uint32_t>(sealed.size()));
    file.insert(file.end(), length, length + 4);
    file.insert(file.end(), sealed.begin(), sealed.end());
    const std::string path = dir.file(holder.name + "))" + owner.name + "-auth.kpub");
    writeFile(path, file);
    return path;
}

class FileCrypto : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setFixed(kNoon, 250);
        table.FillEnglish();
    }
    void TearDown() override { Clock::useSystem(); }

    std::string plainFile(const std::string& name, size_t size)
    {
        std::vector<uint8_t> data(size);
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<uint8_t>(i * 13 + 1);
        const std::string path = dir.file(name);
        writeFile(path, data);
        return path;
    }

    // Encrypts as "from" for the given key files; returns the container path or "".
    std::string encrypt(const User& from, const std::string& plain, std::vector<std::string> recipients,
                        uint32_t optionWord, TimeLimitSetting limit = {}, const std::string& userName = "Sender Person")
    {
        FileEncryptor encryptor(messenger);
        encryptor.setSender({from.publicFile, from.privateFile, userName, "sender@example.org", 0});
        encryptor.setRecipients(std::move(recipients));
        encryptor.setOptionWord(optionWord);
        encryptor.setTimeLimit(limit);
        encryptor.resetContentKey();
        const std::string out = plain + ".klx";
        if (!encryptor.encryptBody(plain, out, 0) || !encryptor.writeContainerTail(out, plain, kKindMainWindow))
            return {};
        return out;
    }

    // Opens and decrypts as "who"; returns openContainer's result and the plain bytes.
    int decrypt(const User& who, const std::string& container, std::vector<uint8_t>* plain = nullptr,
                FileDecryptor* keep = nullptr)
    {
        FileDecryptor local(messenger, who.publicFile, who.privateFile);
        FileDecryptor& decryptor = keep ? *keep : local;
        std::string name;
        const int result = decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true);
        if (result == 0)
            return 0;
        const std::string out = dir.file("out-" + name);
        if (!decryptor.decryptBody(container, out))
            return 0;
        if (plain)
            *plain = readFile(out);
        return result;
    }

    TempDir dir;
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
    User sender = vectorUser("sender");
    User reader = vectorUser("reader");
    User other = vectorUser("other");
};

} // namespace

TEST(ContentKey, SameMomentSameKeyAnyDifferenceAnother)
{
    uint8_t text[255];
    std::fill(text, text + 255, 7);
    const SystemTime t = SystemTime::fromUnix(kNoon, 250);
    const auto a = FileEncryptor::deriveContentKey(t, 1000, "/x/a.txt", text);
    EXPECT_EQ(a, FileEncryptor::deriveContentKey(t, 1000, "/x/a.txt", text));
    EXPECT_NE(a, FileEncryptor::deriveContentKey(t, 1001, "/x/a.txt", text));
    EXPECT_NE(a, FileEncryptor::deriveContentKey(SystemTime::fromUnix(kNoon, 251), 1000, "/x/a.txt", text));
    EXPECT_NE(a, FileEncryptor::deriveContentKey(t, 1000, "/x/b.txt", text));
}

TEST(RecordFileName, ShortensBeforeTheExtension)
{
    const std::string stem80(76, 'a');
    EXPECT_EQ(FileEncryptor::recordFileName("/d/" + stem80 + ".txt"), std::string(72, 'a') + ".txt");
    EXPECT_EQ(FileEncryptor::recordFileName("/d/short.name.txt"), "short.name.txt");
    // Multi-byte characters are never cut in the middle.
    std::string kana;
    for (int i = 0; i < 30; ++i)
        kana += "\xE3\x81\x82";  // 3 bytes each
    const auto shortened = FileEncryptor::recordFileName("/d/" + kana + ".txt");
    EXPECT_LE(shortened.size(), 76u);
    EXPECT_EQ(shortened, kana.substr(0, 72) + ".txt");
    // An extension that alone exceeds the field keeps what fits.
    EXPECT_EQ(FileEncryptor::recordFileName("/d/a." + std::string(90, 'e')).size(), 76u);
}

TEST_F(FileCrypto, PlainKeyWithAttachmentRoundTrip)
{
    const auto plain = plainFile("report.pdf", 70000);
    const auto container = encrypt(sender, plain, {reader.publicFile}, kOptionAttachSender);
    ASSERT_FALSE(container.empty()) << (ui.texts().empty() ? "" : ui.texts().back());
    std::vector<uint8_t> out;
    FileDecryptor decryptor(messenger, reader.publicFile, reader.privateFile);
    EXPECT_EQ(decrypt(reader, container, &out, &decryptor), 1);  // sender unknown without a directory
    EXPECT_EQ(out, readFile(plain));
    EXPECT_EQ(decryptor.senderName(), "Sender Person");
    EXPECT_EQ(decryptor.senderMail(), "sender@example.org");
    // The output carries the encryption time.
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("out-report.pdf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, kNoon);
    EXPECT_EQ(decrypt(other, container), 0);
    EXPECT_EQ(ui.texts().back(), "You are not authorized to decrypt this file.");
}

TEST_F(FileCrypto, PlainKeyWithoutAttachmentIsRefusedAsSpoofing)
{
    const auto container = encrypt(sender, plainFile("a.txt", 10), {reader.publicFile}, 0);
    ASSERT_FALSE(container.empty());
    EXPECT_EQ(decrypt(reader, container), 0);
    EXPECT_EQ(ui.texts().back(), "Since there is a possibility of spoofing now, current process is stopped.");
    EXPECT_FALSE(fs::exists(dir.file("out-a.txt")));
}

TEST_F(FileCrypto, AuthenticatedAndPlainRecipientsMixed)
{
    // reader authenticated sender's key... the file sender holds is reader's authenticated key.
    const auto readerAuth = makeAuthKey(dir, reader, sender);
    const auto container = encrypt(sender, plainFile("mixed.txt", 100), {readerAuth, other.publicFile}, 0);
    ASSERT_FALSE(container.empty()) << (ui.texts().empty() ? "" : ui.texts().back());
    std::vector<uint8_t> out;
    EXPECT_EQ(decrypt(reader, container, &out), 1);  // test (a): slot carries reader's identity hash
    EXPECT_EQ(out.size(), 100u);
    // other got a record with an empty identity slot and no attachment: spoofing.
    EXPECT_EQ(decrypt(other, container), 0);
    EXPECT_EQ(ui.texts().back(), "Since there is a possibility of spoofing now, current process is stopped.");
}

TEST_F(FileCrypto, AuthenticatedKeyFailures)
{
    auto readerAuth = makeAuthKey(dir, reader, sender);
    // Only the first framing: never authenticated.
    auto bytes = readFile(readerAuth);
    bytes.resize(152);
    writeFile(dir.file("cut-auth.kpub"), bytes);
    EXPECT_TRUE(encrypt(sender, plainFile("b.txt", 5), {dir.file("cut-auth.kpub")}, 0).empty());
    EXPECT_EQ(ui.texts().back(),
              "This public key was not authenticated. Need to authenicate Key for your partner.");
    EXPECT_FALSE(fs::exists(dir.file("b.txt.klx")) && fs::file_size(dir.file("b.txt.klx")) > 5);
    // Sealed for someone else: cannot be opened with the own private key.
    auto foreign = makeAuthKey(dir, reader, other);
    EXPECT_TRUE(encrypt(sender, plainFile("c.txt", 5), {foreign}, 0).empty());
    EXPECT_EQ(ui.texts().back(), "Please use the right public key.");
    EXPECT_TRUE(encrypt(sender, plainFile("d.txt", 5), {dir.file("gone-auth.kpub")}, 0).empty());
    EXPECT_EQ(ui.texts().back(), "Not found Auth-PublicKey.\nPossible to Move&Delete.");
}

TEST_F(FileCrypto, OneEncryptorSeesAKeyFileReplacedBetweenFiles)
{
    // Key files are read once for many files, but a replaced file is read again.
    const std::string key = dir.file("partner))key-auth.kpub");
    fs::copy_file(makeAuthKey(dir, reader, sender), key);
    FileEncryptor encryptor(messenger);
    encryptor.setSender({sender.publicFile, sender.privateFile, "Sender Person", "sender@example.org", 0});
    encryptor.setRecipients({key});
    auto encryptOne = [&](const std::string& plain) {
        encryptor.resetContentKey();
        EXPECT_EQ(encryptor.encryptBody(plain, plain + ".klx", 0), 1);
        EXPECT_EQ(encryptor.writeContainerTail(plain + ".klx", plain, kKindMainWindow), 1);
        return plain + ".klx";
    };
    const std::string first = encryptOne(plainFile("first.txt", 40));
    fs::remove(key);
    fs::copy_file(makeAuthKey(dir, other, sender), key);
    const std::string second = encryptOne(plainFile("second.txt", 40));
    EXPECT_EQ(decrypt(reader, first), 1);
    EXPECT_EQ(decrypt(other, first), 0);
    EXPECT_EQ(decrypt(other, second), 1);
    EXPECT_EQ(decrypt(reader, second), 0);
}

TEST_F(FileCrypto, SelfEncryptedFileIsAcceptedByTheSender)
{
    const auto container = encrypt(sender, plainFile("mine.txt", 33), {sender.publicFile}, 0);
    std::vector<uint8_t> out;
    EXPECT_EQ(decrypt(sender, container, &out), 1);
    EXPECT_EQ(out, readFile(dir.file("mine.txt")));
}

TEST_F(FileCrypto, EmptyFileAndLongNames)
{
    const auto container = encrypt(sender, plainFile("empty.dat", 0), {reader.publicFile}, kOptionAttachSender, {},
                                   std::string(25, 'u'));
    ASSERT_FALSE(container.empty());
    EXPECT_EQ(fs::file_size(container), 80u + 152u + 256u + 48u);
    FileDecryptor decryptor(messenger, reader.publicFile, reader.privateFile);
    std::vector<uint8_t> out;
    EXPECT_EQ(decrypt(reader, container, &out, &decryptor), 1);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(decryptor.senderName(), std::string(19, 'u'));

    const auto plain80 = plainFile(std::string(76, 'n') + ".txt", 12);
    const auto named = encrypt(sender, plain80, {sender.publicFile}, 0);
    std::string storedName;
    FileDecryptor opener(messenger, sender.publicFile, sender.privateFile);
    ASSERT_GE(opener.openContainer(named, storedName, FileDecryptor::kPurposeDecrypt, false), 1);
    EXPECT_EQ(storedName, std::string(72, 'n') + ".txt");
}

TEST_F(FileCrypto, LimitFromEncryption)
{
    const auto container = encrypt(sender, plainFile("t.txt", 40), {sender.publicFile}, kOptionTimeLimit,
                                   {3600, false});
    ASSERT_FALSE(container.empty());
    Clock::setFixed(kNoon + 3599);
    EXPECT_EQ(decrypt(sender, container), 1);
    Clock::setFixed(kNoon + 3600);
    EXPECT_EQ(decrypt(sender, container), 0);
    EXPECT_EQ(ui.texts().back(), "It is over effective time. A file is erased.");
    EXPECT_FALSE(fs::exists(container));
}

TEST_F(FileCrypto, LimitFromFirstDecryption)
{
    const auto container = encrypt(sender, plainFile("f.txt", 40), {sender.publicFile}, kOptionTimeLimit,
                                   {3600, true});
    ASSERT_FALSE(container.empty());
    const auto before = readFile(container);
    Clock::setFixed(kNoon + 100000);  // long after encryption: the first decryption still works
    EXPECT_EQ(decrypt(sender, container), 1);
    EXPECT_NE(readFile(container), before) << "the start and the count are written back";
    EXPECT_EQ(readFile(container).size(), before.size());
    Clock::setFixed(kNoon + 100000 + 3599);
    EXPECT_EQ(decrypt(sender, container), 1);
    Clock::setFixed(kNoon + 100000 + 3600);
    EXPECT_EQ(decrypt(sender, container), 0);
    EXPECT_FALSE(fs::exists(container));
}

TEST_F(FileCrypto, NoLimitNeverChangesTheContainer)
{
    const auto container = encrypt(sender, plainFile("n.txt", 40), {sender.publicFile}, 0);
    const auto before = readFile(container);
    Clock::setFixed(kNoon + 10 * 365 * 86400LL);
    EXPECT_EQ(decrypt(sender, container), 1);
    EXPECT_EQ(decrypt(sender, container), 1);
    EXPECT_EQ(readFile(container), before);
}

TEST_F(FileCrypto, EncryptionTimeInTheFuture)
{
    const auto container = encrypt(sender, plainFile("c.txt", 40), {sender.publicFile}, 0);
    Clock::setFixed(kNoon - 59);
    EXPECT_EQ(decrypt(sender, container), 1);
    Clock::setFixed(kNoon - 60);  // a full minute behind is no longer tolerated
    EXPECT_EQ(decrypt(sender, container), 0);
    Clock::setFixed(kNoon - 120);
    EXPECT_EQ(decrypt(sender, container), 0);
    EXPECT_EQ(ui.texts().back(), "Please check the time of the PC used for encryption.");
}

TEST_F(FileCrypto, HistoryRecordsCreationAndDecryption)
{
    const auto container = encrypt(sender, plainFile("h.txt", 40), {sender.publicFile}, kOptionHistory);
    ASSERT_FALSE(container.empty());
    EXPECT_EQ(fs::file_size(container), 40u + 256u + 256u + 48u);
    EXPECT_EQ(decrypt(sender, container), 1);
    FileDecryptor opener(messenger, sender.publicFile, sender.privateFile);
    std::string name;
    ASSERT_GE(opener.openContainer(container, name, FileDecryptor::kPurposeHistory, false), 1);
    CArchiveHistoryMan history;
    history.create(container);
    history.setTrailerAndRecord(opener.layout().trailer.bytes.data(), opener.layout().ownRecord());
    ASSERT_EQ(history.read(container), CArchiveHistoryMan::kReadOk);
    ASSERT_EQ(history.events().size(), 2u);
    EXPECT_EQ(history.events()[0].kind, CArchiveHistoryMan::kKindCreated);
    EXPECT_EQ(history.events()[1].kind, CArchiveHistoryMan::kKindDecrypted);
}

TEST_F(FileCrypto, FailedWritesLeaveNothingBehind)
{
    const auto plain = plainFile("big.bin", 200000);
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100000;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto container = encrypt(sender, plain, {reader.publicFile}, kOptionAttachSender);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(container.empty());
    EXPECT_FALSE(fs::exists(plain + ".klx"));
    EXPECT_EQ(ui.texts().back(), plain + ".klx could not be written completely. The incomplete file was removed.");
    EXPECT_TRUE(fs::exists(plain));

    // The same for a decryption whose output cannot be written: the container stays as it was.
    const auto good = encrypt(sender, plain, {reader.publicFile}, kOptionAttachSender);
    ASSERT_FALSE(good.empty());
    const auto before = readFile(good);
    setrlimit(RLIMIT_FSIZE, &small);
    FileDecryptor decryptor(messenger, reader.publicFile, reader.privateFile);
    std::string name;
    ASSERT_EQ(decryptor.openContainer(good, name, FileDecryptor::kPurposeDecrypt, true), 1);
    const std::string tooSmall = dir.file("partial.bin");
    EXPECT_EQ(decryptor.decryptBody(good, tooSmall), 0);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(fs::exists(tooSmall));
    EXPECT_EQ(readFile(good), before);
}

// Stop during a body: no output is left, no failure is reported, the input stays.
TEST_F(FileCrypto, StopEndsABodyWithoutOutputOrMessage)
{
    const auto plain = plainFile("large.bin", 3 * KeystreamEngine::kBufferSize + 17);
    const auto container = encrypt(sender, plain, {reader.publicFile}, kOptionAttachSender);
    ASSERT_FALSE(container.empty());
    const auto before = readFile(container);
    ui.clear();

    std::atomic<bool> stop = true;
    FileEncryptor encryptor(messenger);
    encryptor.setSender({sender.publicFile, sender.privateFile, "Sender Person", "sender@example.org", 0});
    encryptor.setRecipients({reader.publicFile});
    encryptor.setStopFlag(&stop);
    encryptor.resetContentKey();
    EXPECT_EQ(encryptor.encryptBody(plain, dir.file("stopped.klx"), 0), 0);
    EXPECT_FALSE(fs::exists(dir.file("stopped.klx")));

    FileDecryptor decryptor(messenger, reader.publicFile, reader.privateFile);
    decryptor.setStopFlag(&stop);
    std::string name;
    ASSERT_EQ(decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true), 1);
    EXPECT_EQ(decryptor.decryptBody(container, dir.file("stopped.bin")), 0);
    EXPECT_FALSE(fs::exists(dir.file("stopped.bin")));
    EXPECT_EQ(readFile(container), before);
    EXPECT_TRUE(ui.texts().empty());
}

TEST_F(FileCrypto, BodyBeyondTheLengthFieldIsRefusedWithTheAttachment)
{
    // A sparse file of 4 GiB + 1 byte: refused before anything is read or written.
    const std::string plain = dir.file("huge.bin");
    {
        FdGuard fd(::open(plain.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        ASSERT_EQ(::ftruncate(fd.get(), 0x100000001LL), 0);
    }
    EXPECT_TRUE(encrypt(sender, plain, {reader.publicFile}, kOptionAttachSender).empty());
    EXPECT_EQ(ui.texts().back(),
              plain + " is 4 GB or larger and cannot be encrypted with the sender's key attached.");
    EXPECT_FALSE(fs::exists(plain + ".klx"));
}

TEST_F(FileCrypto, MakerModeUsesTheEmbeddedKey)
{
    FileEncryptor encryptor(messenger);
    encryptor.setSender({sender.publicFile, sender.privateFile, "Sender", "s@example.org", 0x1122334455667788ULL});
    encryptor.setOptionWord(kOptionAttachSender);
    encryptor.resetContentKey();
    const auto plain = plainFile("backup.kbky", 64);
    ASSERT_EQ(encryptor.encryptBody(plain, plain + ".klx", 0), 1);
    ASSERT_EQ(encryptor.writeContainerTail(plain + ".klx", plain, kKindSilent), 1);
    // Nobody but the maker can read it: its one record is sealed for the embedded key.
    EXPECT_EQ(decrypt(sender, plain + ".klx"), 0);
    const auto bytes = readFile(plain + ".klx");
    EXPECT_EQ(getLe32(bytes.data() + bytes.size() - 48 + 4), 1u);
    const auto makerBlob = RsaKeyWrapper::blobFromKeyFileBytes(makerPublicKeyFile());
    ASSERT_EQ(makerBlob.size(), 148u);
    EXPECT_EQ(getLe64(bytes.data() + bytes.size() - 48 - 256), keyFingerprint(makerBlob.data(), makerBlob.size()));
}

TEST_F(FileCrypto, VectorContainersDecryptThroughTheDecryptor)
{
    Clock::setFixed(kNoon + 30 * 86400LL);
    for (const char* name : {"attach", "attach_history", "three_recipients", "empty", "name76"}) {
        SCOPED_TRACE(name);
        const std::string container = dir.file(std::string(name) + ".klx");
        writeFile(container, readFile(vectorPath(std::string("containers/") + name + ".klx")));
        FileDecryptor decryptor(messenger, reader.publicFile, reader.privateFile);
        std::vector<uint8_t> out;
        ASSERT_EQ(decrypt(reader, container, &out, &decryptor), 1);
        EXPECT_EQ(out, readFile(vectorPath(std::string("containers/") + name + ".plain")));
        EXPECT_EQ(decryptor.senderName(), "Sender Person");
        EXPECT_EQ(decryptor.senderMail(), "sender@example.org");
        const SystemTime& when = decryptor.encryptionTime();  // Monday 2 March 2026, 14:05:06.789
        EXPECT_EQ(std::vector<int>({when.year, when.month, when.dayOfWeek, when.day, when.hour, when.minute,
                                    when.second, when.milliseconds}),
                  std::vector<int>({2026, 3, 1, 2, 14, 5, 6, 789}));
    }
}

TEST_F(FileCrypto, APrivateKeyBlobSealsNothing)
{
    EXPECT_TRUE(encrypt(sender, plainFile("p.txt", 10), {reader.privateFile}, kOptionAttachSender).empty());
    EXPECT_FALSE(fs::exists(dir.file("p.txt.klx")) && fs::file_size(dir.file("p.txt.klx")) > 10);
}

TEST_F(FileCrypto, TheLimitFieldCountsOnlyWhenTheTrailerSaysTheContainerHasALimit)
{
    // Made without a limit (flags 0x08): one flipped bit in the limit field must not destroy it.
    const auto container = encrypt(sender, plainFile("keep.txt", 40), {reader.publicFile}, kOptionAttachSender);
    auto bytes = readFile(container);
    bytes[bytes.size() - 48 - 256 + RecordOffset::kTimeLimit + 2] ^= 0x01;  // 65536 seconds
    writeFile(container, bytes);
    Clock::setFixed(kNoon + 100000);
    EXPECT_EQ(decrypt(reader, container), 1);
    EXPECT_EQ(readFile(container), bytes);
}

namespace {

std::vector<CArchiveHistoryMan::HistoryList> historyOf(CMessenger& messenger, const User& who,
                                                       const std::string& container)
{
    FileDecryptor opener(messenger, who.publicFile, who.privateFile);
    std::string name;
    if (opener.openContainer(container, name, FileDecryptor::kPurposeHistory, false) < 1)
        return {};
    CArchiveHistoryMan history;
    history.create(container);
    history.setTrailerAndRecord(opener.layout().trailer.bytes.data(), opener.layout().ownRecord());
    if (history.read(container) != CArchiveHistoryMan::kReadOk)
        return {};
    return history.events();
}

} // namespace

TEST_F(FileCrypto, AHistoryThatCannotGrowOnAFullDiskLeavesTheContainerAsItWasAndFails)
{
    const auto container = encrypt(sender, plainFile("g.txt", 40), {sender.publicFile}, kOptionHistory);
    // One name and six events fill the first 256-byte unit; the seventh needs another.
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(decrypt(sender, container), 1);
    ASSERT_EQ(historyOf(messenger, sender, container).size(), 6u);
    const auto before = readFile(container);
    int result = -1;
    withFileSizeLimit(before.size(), [&] { result = decrypt(sender, container); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ui.texts().back(), container + " could not be updated. The encrypted file was left as it was.");
    EXPECT_FALSE(fs::exists(dir.file("out-g.txt")));
    EXPECT_EQ(readFile(container), before);
    EXPECT_EQ(historyOf(messenger, sender, container).size(), 6u);
    // With room again the history grows by one unit.
    EXPECT_EQ(decrypt(sender, container), 1);
    EXPECT_EQ(fs::file_size(container), before.size() + 256);
    EXPECT_EQ(historyOf(messenger, sender, container).size(), 7u);
}

TEST_F(FileCrypto, AForgedHistoryUnitCountNeverCutsTheRecords)
{
    const auto container = encrypt(sender, plainFile("r.txt", 18), {sender.publicFile, reader.publicFile},
                                   kOptionHistory | kOptionAttachSender);
    auto bytes = readFile(container);
    const size_t trailer = bytes.size() - 48;
    ASSERT_EQ(getLe32(bytes.data() + trailer + 4), 3u);  // two records and one history unit
    // The history count claims every unit, and the first record starts like an
    // empty history under the content key: a rewrite would put the block there.
    FileDecryptor opener(messenger, reader.publicFile, reader.privateFile);
    std::string name;
    ASSERT_GE(opener.openContainer(container, name, FileDecryptor::kPurposeHistory, false), 1);
    KeystreamEngine engine;
    engine.setWordCount(8);
    engine.initialise(opener.layout().contentKey);
    const uint8_t emptyCounts[8] = {};
    const size_t records = trailer - 3 * 256;
    engine.transformBuffer(emptyCounts, 8, bytes.data() + records);
    putLe32(bytes.data() + trailer + 40, 3);
    writeFile(container, bytes);

    // A history that leaves no room for a record is damage: refused, nothing written.
    EXPECT_EQ(decrypt(reader, container), 0);
    EXPECT_EQ(ui.texts().back(), "This file type is not KLX file or broken.");
    EXPECT_FALSE(fs::exists(dir.file("out-r.txt")));
    EXPECT_EQ(readFile(container), bytes);
}

TEST_F(FileCrypto, ADamagedTimeFieldRefusesTheContainerAndNeverExpiresIt)
{
    // A limit until 2099, counted from the encryption or from the first
    // decryption; one bit flipped in the high byte of a year of the own record.
    const uint32_t until2099 = 2'300'000'000u;
    for (bool fromFirst : {false, true})
        for (size_t field : {RecordOffset::kLimitStart, RecordOffset::kEncryptionTime})
            for (int bit = 0; bit < 8; ++bit) {
                const auto container = encrypt(sender, plainFile("l.txt", 40), {sender.publicFile},
                                               kOptionTimeLimit | kOptionAttachSender, {until2099, fromFirst});
                ASSERT_FALSE(container.empty());
                auto bytes = readFile(container);
                bytes[bytes.size() - 48 - 256 + field + 1] ^= static_cast<uint8_t>(1 << bit);
                writeFile(container, bytes);
                const std::string what = std::string(fromFirst ? "from first, " : "from encryption, ") +
                                         (field == RecordOffset::kLimitStart ? "start" : "encryption") + " bit " +
                                         std::to_string(bit + 8);
                EXPECT_EQ(decrypt(sender, container), 0) << what;
                EXPECT_EQ(ui.texts().back(), "The time information of " + container +
                                                 " is damaged. It was neither decrypted nor erased and is left as it was.")
                    << what;
                EXPECT_EQ(readFile(container), bytes) << what;
                EXPECT_FALSE(fs::exists(dir.file("out-l.txt"))) << what;
            }
}
