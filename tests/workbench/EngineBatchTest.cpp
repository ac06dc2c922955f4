// The batches over the real per-file encryption and decryption, with the key
// sets shipped in tests/vectors.
#include "WorkbenchFixture.h"

#include "app/CContinueConfirmDialog.h"
#include "engine/ContainerTrailer.h"
#include "engine/EncryptionSettings.h"
#include "engine/IdentityBlock.h"
#include "engine/RsaKeyWrapper.h"
#include "EngineTestUtil.h"
#include "keys/CKeyManager.h"
#include "platform/Clock.h"
#include "platform/LittleEndian.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"
#include "workbench/EngineFileCrypto.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

namespace mvx::test {
namespace {

struct VectorUser {
    std::string name;
    std::string publicFile;
    std::string privateFile;
};

VectorUser vectorUser(const std::string& name)
{
    return {name, vectorPath("containers/" + name + ".kpub"), vectorPath("containers/" + name + "Private.kpri")};
}

class EngineBatchTest : public WorkbenchTest {
protected:
    EngineBatchTest()
    {
        Clock::setFixed(1'772'452'800, 250);
        useKeySet(sender);
        senderSelfKey = makeAuthKey(sender, sender);
        readerKeyForSender = makeAuthKey(reader, sender);
        context.keys.selfAuthKeyFile = senderSelfKey;
        context.usePlatformDefaults();
    }
    ~EngineBatchTest() override { Clock::useSystem(); }

    void useKeySet(const VectorUser& user)
    {
        context.keys.publicKeyFile = user.publicFile;
        context.keys.privateKeyFile = user.privateFile;
        engine = std::make_unique<EngineFileCrypto>(
            messenger, SenderKeys{user.publicFile, user.privateFile, user.name, user.name + "@example.org", 0});
        context.crypto = engine.get();
    }

    // The authenticated key that owner made for holder: owner's public key and
    // owner's identity hash sealed for holder.
    std::string makeAuthKey(const VectorUser& owner, const VectorUser& holder)
    {
        auto file = readFile(owner.publicFile);
        const auto identity = IdentityBlock::fromPrivateKeyPath(owner.privateFile);
        std::vector<uint8_t> record(115, 0);
        const auto hash = identity->hash();
        std::copy(hash.begin(), hash.end(), record.begin());
        RsaKeyWrapper rsa;
        EXPECT_EQ(rsa.loadFromFile(holder.publicFile), 1);
        std::vector<uint8_t> sealed;
        EXPECT_EQ(rsa.encrypt(record.data(), record.size(), sealed), 1);
        uint8_t length[4];
        putLe32(length, static_cast<uint32_t>(sealed.size()));
        file.insert(file.end(), length, length + 4);
        file.insert(file.end(), sealed.begin(), sealed.end());
        const std::string path = temp.file("keys/" + holder.name + "))" + owner.name + "-auth.kpub");
        writeFile(path, file);
        return path;
    }

    VectorUser sender = vectorUser("sender");
    VectorUser reader = vectorUser("reader");
    std::unique_ptr<EngineFileCrypto> engine;
    std::string senderSelfKey;
    std::string readerKeyForSender;
};

TEST_F(EngineBatchTest, ContainersMadeForAPartnerDecryptForHimAndTheHistoryIsKept)
{
    write("docs/letter.txt", std::string(5000, 'L'));
    write("docs/empty", "");
    chooser.choices = EncryptChoices{{senderSelfKey, readerKeyForSender}, {}, false};
    chooser.choices->options.deletePlainFiles = true;
    ui.answerYesNo(true);  // delete the plain files
    work.setFiles(files({"docs/letter.txt", "docs/empty"}));
    const auto made = EncryptBatch(context).run({});
    ASSERT_TRUE(made.completed);
    ASSERT_EQ(made.containers, files({"docs/letter.txt.klx", "docs/empty.klx"}));
    EXPECT_EQ(made.deletedPlainFiles, files({"docs/letter.txt", "docs/empty"}));
    EXPECT_FALSE(exists(temp.file("docs/letter.txt")));
    EXPECT_EQ(messages().back(), "2 files succeeded encryption.");

    useKeySet(reader);
    ui.clear();
    work.setFiles(made.containers);
    const auto opened = DecryptBatch(context).run(kKindFromDestinationList);
    EXPECT_EQ(opened.decrypted, made.containers);
    EXPECT_EQ(read(temp.file("docs/letter.txt")), std::string(5000, 'L'));
    EXPECT_EQ(read(temp.file("docs/empty")), "");
    EXPECT_EQ(messages().back(), "2 Files succeed in decryption.");
}

TEST_F(EngineBatchTest, SomeoneElsesContainerIsRefusedAndLeavesNothingBehind)
{
    write("a.txt", "secret");
    chooser.choices = EncryptChoices{{senderSelfKey}, {}, false};
    work.setFiles(files({"a.txt"}));
    ASSERT_TRUE(EncryptBatch(context).run({}).completed);
    ::unlink(temp.file("a.txt").c_str());
    const std::string before = read(temp.file("a.txt.klx"));

    useKeySet(vectorUser("other"));
    ui.clear();
    work.setFiles(files({"a.txt.klx", "a.txt.klx"}));
    const auto outcome = DecryptBatch(context).run(kKindChooseDestinations);
    EXPECT_TRUE(outcome.decrypted.empty());
    EXPECT_FALSE(exists(temp.file("a.txt")));
    EXPECT_EQ(read(temp.file("a.txt.klx")), before);
    EXPECT_EQ(messages().front(), text(Msg::NotAuthorizedToDecrypt));
}

TEST_F(EngineBatchTest, APlainPublicKeyAttachesTheSendersKeyAndTheSenderIsUnknownToTheReader)
{
    write("a.txt", "for a plain key");
    chooser.choices = EncryptChoices{{reader.publicFile}, {}, false};
    chooser.choices->options.history = false;
    work.setFiles(files({"a.txt"}));
    ASSERT_TRUE(EncryptBatch(context).run({}).completed);
    ::unlink(temp.file("a.txt").c_str());

    useKeySet(reader);
    work.setFiles(files({"a.txt.klx"}));
    ui.answerSavePath(temp.file("chosen.txt"));
    const auto outcome = DecryptBatch(context).run(kKindForOneself);
    EXPECT_EQ(read(temp.file("chosen.txt")), "for a plain key");
    ASSERT_EQ(outcome.senders.size(), 1u);
    EXPECT_FALSE(outcome.senders[0].known);
    EXPECT_EQ(outcome.senders[0].userName, "sender");
    ASSERT_EQ(unknownSender.calls.size(), 1u);
    EXPECT_EQ(unknownSender.calls[0].senderName, "sender");
    EXPECT_EQ(unknownSender.calls[0].senderMail, "sender@example.org");
}

TEST_F(EngineBatchTest, APrivateKeyIsNeverADestination)
{
    write("a.txt", "secret");
    chooser.choices = EncryptChoices{{reader.privateFile}, {}, false};
    chooser.choices->options.deletePlainFiles = true;
    ui.answerYesNo(true);
    work.setFiles(files({"a.txt"}));
    const auto outcome = EncryptBatch(context).run({});
    EXPECT_TRUE(outcome.containers.empty());
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              reader.privateFile + " holds a private key; only a public key can be used here.",
                              text(Msg::NoAvailablePublicKey)}));
    EXPECT_EQ(read(temp.file("a.txt")), "secret");
    EXPECT_FALSE(exists(temp.file("a.txt.klx")));
}

TEST_F(EngineBatchTest, ABatchWithAHelperWritesAndSaysWhatABatchAloneDoes)
{
    struct Result {
        std::vector<std::string> messages;
        std::vector<std::string> containers;
        std::map<std::string, std::string> trailers;  // by name: size and the trailer's bytes
        std::map<std::string, std::string> folder;    // every name left in the folder
    };
    auto runWith = [&](size_t helpers, bool streams) {
        std::filesystem::remove_all(temp.file("docs"));
        std::vector<std::string> names;
        for (int i = 0; i < 12; ++i) {
            names.push_back("docs/f" + std::to_string(i) + ".txt");
            write(names.back(), std::string(static_cast<size_t>(i) * 997, static_cast<char>('a' + i)));
        }
        write("docs/big.bin", std::string(2'500'000, 'B'));  // longer than one engine buffer
        write("docs/own.kpri", "refused");
        names.insert(names.begin() + 5, {"docs/big.bin", "docs/own.kpri"});
        engine = std::make_unique<EngineFileCrypto>(
            messenger, SenderKeys{sender.publicFile, sender.privateFile, "sender", "sender@example.org", 0}, helpers,
            streams);
        context.crypto = engine.get();
        chooser.choices = EncryptChoices{{senderSelfKey, readerKeyForSender}, {}, false};
        work.setFiles(files(names));
        ui.clear();
        Result result;
        result.containers = EncryptBatch(context).run({}).containers;
        result.messages = messages();
        for (const auto& entry : std::filesystem::directory_iterator(temp.file("docs"))) {
            const std::string name = entry.path().filename().string();
            const std::string bytes = read(entry.path().string());
            result.folder[name] = name.ends_with(".klx") ? "" : bytes;
            if (name.ends_with(".klx"))
                result.trailers[name] = std::to_string(bytes.size()) + ":" + bytes.substr(bytes.size() - ContainerTrailer::kSize);
        }
        return result;
    };
    const Result alone = runWith(0, false);
    // A helper with one stream per core, the batch running eight streams
    // itself, and both.
    Result helped;
    for (const auto& [helpers, streams] : {std::pair<size_t, bool>{1, false}, {0, true}, {1, true}}) {
        helped = runWith(helpers, streams);
        SCOPED_TRACE(std::to_string(helpers) + " helpers, streams together: " + std::to_string(streams));
        EXPECT_EQ(helped.messages, alone.messages);
        EXPECT_EQ(helped.containers, alone.containers);
        EXPECT_EQ(helped.folder, alone.folder);
        EXPECT_EQ(helped.trailers, alone.trailers);
    }
    EXPECT_EQ(alone.containers.size(), 13u);

    // The helper's containers open for the reader as the batch's own do.
    useKeySet(reader);
    std::filesystem::create_directories(temp.file("plain"));
    context.settings.destPath2 = temp.file("plain");
    work.setFiles(helped.containers);
    ui.clear();
    EXPECT_EQ(DecryptBatch(context).run(kKindFromDestinationList).decrypted, helped.containers);
    EXPECT_EQ(read(temp.file("plain/big.bin")), std::string(2'500'000, 'B'));
    EXPECT_EQ(read(temp.file("plain/f11.txt")), std::string(11 * 997, 'l'));
}

// Everything in a folder, hidden files included: name to bytes (and time, for plain files).
std::map<std::string, std::string> folderContents(const std::string& folder, bool withTimes)
{
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const auto bytes = readFile(entry.path().string());
        std::string value(bytes.begin(), bytes.end());
        if (withTimes)
            value += "@" + std::to_string(std::filesystem::last_write_time(entry.path()).time_since_epoch().count());
        contents[entry.path().filename().string()] = value;
    }
    return contents;
}

TEST_F(EngineBatchTest, ADecryptionBatchWithAHelperWritesAndSaysWhatABatchAloneDoes)
{
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) {
        names.push_back("docs/f" + std::to_string(i) + ".txt");
        write(names.back(), std::string(static_cast<size_t>(i) * 997 + 1, static_cast<char>('a' + i)));
    }
    write("docs/big.bin", std::string(2'500'000, 'B'));  // longer than one engine buffer
    names.push_back("docs/big.bin");
    chooser.choices = EncryptChoices{{senderSelfKey, readerKeyForSender}, {}, false};
    work.setFiles(files(names));
    ASSERT_EQ(EncryptBatch(context).run({}).containers.size(), 11u);
    write("docs/limited.txt", "gone by then");
    chooser.choices->options.timeLimitOn = true;
    chooser.choices->options.timeLimit = TimeLimitSetting{3600, false};
    work.setFiles(files({"docs/limited.txt"}));
    ASSERT_EQ(EncryptBatch(context).run({}).containers.size(), 1u);
    std::map<std::string, std::string> containers;
    for (const auto& [name, bytes] : folderContents(temp.file("docs"), false))
        if (name.ends_with(".klx"))
            containers[name] = bytes;
    containers["broken.klx"] = containers["f3.txt.klx"].substr(0, 700);

    useKeySet(reader);
    context.settings.destPath2 = temp.file("plain");
    Clock::setFixed(1'772'452'800 + 7200, 250);  // the limited container has expired
    struct Result {
        std::vector<std::string> decrypted, messages;
        std::map<std::string, std::string> plain, containers;
    };
    auto runWith = [&](size_t helpers, bool streams) {
        std::filesystem::remove_all(temp.file("docs"));
        std::filesystem::remove_all(temp.file("plain"));
        for (const auto& [name, bytes] : containers)
            write("docs/" + name, bytes);
        write("docs/notes.txt", "not a container");
        write("plain/f0.txt", "older");
        engine = std::make_unique<EngineFileCrypto>(
            messenger, SenderKeys{reader.publicFile, reader.privateFile, "reader", "reader@example.org", 0}, helpers,
            streams);
        context.crypto = engine.get();
        // While the overwrite question for the first file is open, the helper
        // has opened the files after it; then one of them is replaced.
        ui.whileAsking([&] {
            for (int wait = 0; helpers > 0 && wait < 500; ++wait) {
                bool helperReachedF5 = false;
                for (const auto& entry : std::filesystem::directory_iterator(temp.file("plain")))
                    helperReachedF5 |= entry.path().filename().string().starts_with(".~f5.txt.");
                if (helperReachedF5)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            write("docs/f2.txt.klx", containers["f7.txt.klx"]);
            ui.whileAsking(nullptr);
        });
        ui.clear();
        ui.answerContinue(CContinueConfirmDialog::kFirst);
        work.setFiles(files({"docs/f0.txt.klx", "docs/f1.txt.klx", "docs/f2.txt.klx", "docs/notes.txt",
                             "docs/f3.txt.klx", "docs/broken.klx", "docs/f4.txt.klx", "docs/f5.txt.klx",
                             "docs/limited.txt.klx", "docs/big.bin.klx", "docs/f6.txt.klx", "docs/f9.txt.klx"}));
        Result result;
        result.decrypted = DecryptBatch(context).run(kKindFromDestinationList).decrypted;
        result.messages = ui.texts();
        result.plain = folderContents(temp.file("plain"), true);
        result.containers = folderContents(temp.file("docs"), false);
        return result;
    };
    const Result alone = runWith(0, false);
    for (const auto& [helpers, streams] : {std::pair<size_t, bool>{1, false}, {0, true}, {1, true}}) {
        const Result helped = runWith(helpers, streams);
        SCOPED_TRACE(std::to_string(helpers) + " helpers, streams together: " + std::to_string(streams));
        EXPECT_EQ(helped.messages, alone.messages);
        EXPECT_EQ(helped.decrypted, alone.decrypted);
        EXPECT_EQ(helped.plain, alone.plain);            // same bytes and times, nothing left behind
        EXPECT_EQ(helped.containers, alone.containers);  // same history entries; the expired one destroyed
    }
    EXPECT_EQ(alone.decrypted.size(), 9u);
    EXPECT_EQ(read(temp.file("plain/f2.txt")), std::string(7 * 997 + 1, 'h'));
    EXPECT_EQ(read(temp.file("plain/big.bin")), std::string(2'500'000, 'B'));
    EXPECT_FALSE(exists(temp.file("docs/limited.txt.klx")));
}

// A plain file changed after the helper made its container: the batch
// encrypts what the file holds now, not what it held then.
TEST_F(EngineBatchTest, AContainerMadeAheadIsDroppedWhenItsPlainFileChanged)
{
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i) {
        names.push_back("docs/f" + std::to_string(i) + ".txt");
        write(names.back(), std::string(2000, static_cast<char>('a' + i)));
    }
    // The batch takes the files from the last one: the question for f5 comes first.
    write("docs/f5.txt.klx", "an older container");
    const std::string changed(2000, 'Z');  // the same size, so only the time and the bytes differ
    engine = std::make_unique<EngineFileCrypto>(
        messenger, SenderKeys{sender.publicFile, sender.privateFile, "sender", "sender@example.org", 0}, 1);
    context.crypto = engine.get();
    // While the overwrite question is open the helper works ahead; once it
    // has gone past f2, f2 is written again.
    ui.whileAsking([&] {
        for (int wait = 0; wait < 500; ++wait) {
            bool pastF2 = false;
            for (const auto& entry : std::filesystem::directory_iterator(temp.file("docs")))
                pastF2 |= entry.path().filename().string().starts_with(".~f1.txt.klx");
            if (pastF2)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        write("docs/f2.txt", changed);
        ui.whileAsking(nullptr);
    });
    ui.answerContinue(CContinueConfirmDialog::kFirst);
    chooser.choices = EncryptChoices{{senderSelfKey, readerKeyForSender}, {}, false};
    work.setFiles(files(names));
    ASSERT_EQ(EncryptBatch(context).run({}).containers.size(), 6u);
    ASSERT_EQ(ui.count(Kind::ContinueConfirm), 1u);
    ASSERT_NE(ui.textsOf(Kind::ContinueConfirm).front().find("f5.txt.klx"), std::string::npos);

    useKeySet(reader);
    std::filesystem::create_directories(temp.file("plain"));
    context.settings.destPath2 = temp.file("plain");
    work.setFiles(files({"docs/f1.txt.klx", "docs/f2.txt.klx"}));
    ui.clear();
    EXPECT_EQ(DecryptBatch(context).run(kKindFromDestinationList).decrypted.size(), 2u);
    EXPECT_EQ(read(temp.file("plain/f2.txt")), changed);
    EXPECT_EQ(read(temp.file("plain/f1.txt")), std::string(2000, 'b'));
}

TEST_F(EngineBatchTest, TheKeySetPathsComeFromTheKeyManager)
{
    CKeyManager keys(messenger);
    const std::string root = vectorPath("containers/");
    keys.findOwnKeySet(root, "sender.kpub", "senderPrivate.kpri");
    const KeySetPaths paths = KeySetPaths::from(keys, true);
    EXPECT_EQ(paths.publicKeyFile, root + "sender.kpub");
    EXPECT_EQ(paths.privateKeyFile, root + "senderPrivate.kpri");
    EXPECT_EQ(paths.selfAuthKeyFile, root + "KeyList_sender/sender))sender-auth.kpub");
    EXPECT_FALSE(KeySetPaths::from(CKeyManager(messenger), false).settingsFileFound);
}

} // namespace
} // namespace mvx::test
