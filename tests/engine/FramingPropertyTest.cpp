#include "ContainerEdit.h"
#include "EngineTestUtil.h"
#include "ScriptedInteraction.h"
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/EncryptionSettings.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <random>

using namespace mvx;
using namespace mvx::test;

namespace {

constexpr int64_t kLater = 1772452800 + 10 * 86400;

struct Sample {
    std::string name;
    std::vector<uint8_t> container;
    std::vector<uint8_t> plain;
};

class FramingProperty : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setFixed(kLater);
        table.FillEnglish();
    }
    void TearDown() override { Clock::useSystem(); }

    // A container the reader makes for himself with these options.
    Sample own(uint32_t optionWord, TimeLimitSetting limit)
    {
        std::vector<uint8_t> plain(2000 + optionWord * 17);
        for (size_t i = 0; i < plain.size(); ++i)
            plain[i] = static_cast<uint8_t>(i * 11 + optionWord);
        const std::string plainPath = dir.file("own.bin");
        writeFile(plainPath, plain);
        FileEncryptor encryptor(messenger);
        encryptor.setSender({readerPublic, readerPrivate, "Reader", "reader@example.org", 0});
        encryptor.setRecipients({readerPublic});
        encryptor.setOptionWord(optionWord);
        encryptor.setTimeLimit(limit);
        encryptor.resetContentKey();
        const std::string out = plainPath + ".klx";
        EXPECT_TRUE(encryptor.encryptBody(plainPath, out, 0) &&
                    encryptor.writeContainerTail(out, plainPath, kKindMainWindow));
        return {"own, options " + std::to_string(optionWord), readFile(out), plain};
    }

    Sample vector(const std::string& name)
    {
        return {name, readFile(vectorPath("containers/" + name + ".klx")),
                readFile(vectorPath("containers/" + name + ".plain"))};
    }

    // Whether the reader's decryption succeeds, and what it writes.
    bool decrypts(const std::vector<uint8_t>& container, std::vector<uint8_t>& plain)
    {
        const std::string path = dir.file("edited.klx");
        const std::string out = dir.file("edited.plain");
        writeFile(path, container);
        FileDecryptor decryptor(messenger, readerPublic, readerPrivate);
        std::string name;
        if (decryptor.openContainer(path, name, FileDecryptor::kPurposeDecrypt, true) == 0 ||
            decryptor.decryptBody(path, out) != 1)
            return false;
        plain = readFile(out);
        std::filesystem::remove(out);
        return true;
    }

    TempDir dir;
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
    const std::string readerPublic = vectorPath("containers/reader.kpub");
    const std::string readerPrivate = vectorPath("containers/readerPrivate.kpri");
};

} // namespace

// Random cuts, insertions and length edits of real containers: each is refused
// or decrypts to exactly the plain file.
TEST_F(FramingProperty, EditedContainersAreRefusedOrDecryptToThePlainFile)
{
    const std::vector<Sample> samples = {
        vector("attach"), vector("attach_history"), vector("three_recipients"), vector("empty"),
        own(0, {}), own(kOptionHistory, {}), own(kOptionAttachSender | kOptionHistory, {}),
        own(kOptionTimeLimit, {3650 * 86400u, true}),
    };
    std::mt19937 random(20261210);
    for (const Sample& sample : samples) {
        std::vector<uint8_t> out;
        ASSERT_TRUE(decrypts(sample.container, out)) << sample.name;
        ASSERT_EQ(out, sample.plain) << sample.name;
        int refused = 0;
        for (int trial = 0; trial < 150; ++trial) {
            uint8_t code[fuzz::ContainerEdit::kEncodedSize];
            for (uint8_t& byte : code)
                byte = static_cast<uint8_t>(random());
            const auto edit = fuzz::ContainerEdit::decode(code);
            if (!decrypts(edit.applyTo(sample.container), out)) {
                ++refused;
                continue;
            }
            EXPECT_EQ(out, sample.plain) << sample.name << ": edit kind " << int(edit.kind) << " at "
                                         << edit.position << " by " << edit.amount;
        }
        EXPECT_GT(refused, 100) << sample.name;  // almost every edit damages the framing
    }
}
