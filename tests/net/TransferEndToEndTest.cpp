#include "net/ITransferEncryptor.h"
#include "net/VelquinClient.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/EncryptionSettings.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"

#include "ScriptedInteraction.h"
#include "TestWebService.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::TestWebService;
using mvx::test::writeFile;

namespace {

const std::string kVectors = MORVANEX_TEST_DATA_DIR "/containers/";

// Encrypts with the real one-file engine for the fetched partner keys, the
// way batch encryption of the transfer kind does for each file.
class EngineTransferEncryptor : public ITransferEncryptor {
public:
    explicit EngineTransferEncryptor(mvx::CMessenger& messenger) : m_encryptor(messenger) {}

    std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                const std::vector<std::string>& keys,
                                                const std::string& outputFolder) override
    {
        m_encryptor.setSender({kVectors + "sender.kpub", kVectors + "senderPrivate.kpri", "Sender",
                               "me@example.com", 0});
        m_encryptor.setRecipients(keys);
        m_encryptor.setOptionWord(mvx::kOptionAttachSender);
        std::vector<std::string> made;
        for (const auto& file : files) {
            const std::string out = outputFolder + std::filesystem::path(file).filename().string() + ".klx";
            m_encryptor.resetContentKey();
            if (m_encryptor.encryptBody(file, out, 0) == 1 &&
                m_encryptor.writeContainerTail(out, file, mvx::kKindFromDestinationList) == 1)
                made.push_back(out);
        }
        return made;
    }

private:
    mvx::FileEncryptor m_encryptor;
};

// The receiving user's side: the real one-file decryption with the own key pair.
class EngineReceivedDecryptor : public IReceivedFileDecryptor {
public:
    EngineReceivedDecryptor(mvx::CMessenger& messenger, std::string outputFolder)
        : m_decryptor(messenger, kVectors + "reader.kpub", kVectors + "readerPrivate.kpri"),
          m_output(std::move(outputFolder))
    {
    }
    int DecryptReceived(const std::vector<std::string>& containers) override
    {
        int done = 0;
        for (const auto& container : containers) {
            std::string plainName;
            if (m_decryptor.openContainer(container, plainName, mvx::FileDecryptor::kPurposeDecrypt, true) != 0 &&
                m_decryptor.decryptBody(container, m_output + plainName) == 1)
                ++done;
        }
        return done;
    }

private:
    mvx::FileDecryptor m_decryptor;
    std::string m_output;
};

} // namespace

TEST(TransferEndToEnd, PartnerFetchesAndDecryptsWhatWasSent)
{
    TestWebService& service = TestWebService::shared();
    service.configure({{"accounts", {{"me@example.com", "pw"}, {"partner@example.com", "x"}}}});
    const std::string folder = makeTempFolder("mvx-e2e-");
    std::filesystem::create_directories(folder + "inbox");
    std::filesystem::create_directories(folder + "plain");
    mvx::CMessageTable table;
    table.FillJapanese();
    mvx::test::ScriptedInteraction ui;
    mvx::CMessenger messenger(table, ui);

    // The partner has registered the public key of the reader key pair.
    CVelquinClient partner(service.baseUrl());
    partner.SetAccount("partner@example.com", "x");
    partner.SetPublicKeyFile(kVectors + "reader.kpub");
    ASSERT_EQ(partner.RegisterKey(), "success");

    const std::string contract = "Contract text\n" + std::string(100000, 'c');
    writeFile(folder + "contract.txt", contract);
    writeFile(folder + "notes.bin", std::string("\0\1\2\3", 4));
    CVelquinClient sender(service.baseUrl());
    sender.SetAccount("me@example.com", "pw");
    sender.SetFiles({folder + "contract.txt", folder + "notes.bin"});
    sender.SetDestinations({"partner@example.com"});
    EngineTransferEncryptor encryptor(messenger);
    ASSERT_EQ(sender.TransferEncrypted(encryptor), "success") << ::testing::PrintToString(ui.texts());

    // What the service delivers to the partner: the stored containers.
    const auto upload = service.requests().back();
    std::vector<std::string> received;
    for (const auto& part : upload["multipart"]["parts"]) {
        if (part["name"] != "upfile[]")
            continue;
        const std::string name = std::filesystem::path(part["filename"].get<std::string>()).filename().string();
        std::filesystem::copy_file(part["stored"].get<std::string>(), folder + "inbox/" + name);
        received.push_back(folder + "inbox/" + name);
    }
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(TestWebService::readFile(received[0]).find("Contract text"), std::string::npos);  // enciphered

    EngineReceivedDecryptor decryptor(messenger, folder + "plain/");
    EXPECT_EQ(CVelquinClient::HandOverReceived(received, decryptor), 2) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(TestWebService::readFile(folder + "plain/contract.txt"), contract);
    EXPECT_EQ(TestWebService::readFile(folder + "plain/notes.bin"), std::string("\0\1\2\3", 4));
    removeTree(folder);
}
