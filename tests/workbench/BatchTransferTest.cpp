// The web transfer's encryption and received-file hand-over over the real
// batches, with the key sets shipped in tests/vectors.
#include "EngineTestUtil.h"
#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/Settings.h"
#include "keys/CKeyManager.h"
#include "net/VelquinClient.h"
#include "workbench/BatchTransfer.h"
#include "workbench/EngineFileCrypto.h"
#include "workbench/WorkbenchSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace mvx::test {
namespace {

using Kind = ScriptedInteraction::Kind;

class BatchTransferTest : public ::testing::Test {
protected:
    BatchTransferTest()
    {
        table.FillEnglish();
        std::filesystem::create_directories(temp.file("out"));
        // The vector key sets are not in a key folder, so every sender is unknown;
        // what follows an unknown sender is not this class's business.
        session.context().unknownSender = nullptr;
        actAs("sender");
    }

    // The session's own key set becomes the named vector key set.
    void actAs(const std::string& name)
    {
        const std::string publicFile = vectorPath("containers/" + name + ".kpub");
        const std::string privateFile = vectorPath("containers/" + name + "Private.kpri");
        session.context().keys.publicKeyFile = publicFile;
        session.context().keys.privateKeyFile = privateFile;
        engine = std::make_unique<EngineFileCrypto>(
            messenger, SenderKeys{publicFile, privateFile, name, name + "@example.org", 0});
        session.context().crypto = engine.get();
    }

    std::string write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(temp.file(name), std::ios::binary) << bytes;
        return temp.file(name);
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    TempFolder temp;
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
    CKeyManager keys{messenger};
    WorkbenchSession session{messenger, Settings{}, keys, true};
    std::unique_ptr<EngineFileCrypto> engine;
    BatchTransfer transfer{session};
    const std::string readerKey = vectorPath("containers/reader.kpub");
};

TEST_F(BatchTransferTest, ContainersGoToTheFolderWithoutQuestionsAndOpenForTheReader)
{
    const std::string letter = "Dear reader\n" + std::string(40000, 'x');
    const std::string binary("\0\1\2\xfe\xff", 5);
    const std::string letterFile = write("letter.txt", letter);
    const std::string binaryFile = write("data.bin", binary);

    const auto made = transfer.EncryptForTransfer({letterFile, binaryFile}, {readerKey}, temp.file("out/"));
    ASSERT_EQ(made, std::vector<std::string>({temp.file("out/letter.txt.klx"), temp.file("out/data.bin.klx")}))
        << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(ui.count(Kind::YesNo) + ui.count(Kind::OkCancel) + ui.count(Kind::ContinueConfirm) +
                  ui.count(Kind::ChooseSavePath),
              0u);
    EXPECT_FALSE(std::filesystem::exists(temp.file("letter.txt.klx")));
    EXPECT_EQ(read(letterFile), letter);  // the plain files stay
    EXPECT_EQ(read(made[0]).find("Dear reader"), std::string::npos);

    // The reader receives the containers next to a file that is no container.
    std::filesystem::create_directories(temp.file("inbox"));
    std::vector<std::string> received;
    for (const auto& container : made) {
        received.push_back(temp.file("inbox/" + std::filesystem::path(container).filename().string()));
        std::filesystem::copy_file(container, received.back());
    }
    received.push_back(write("inbox/readme.txt", "not a container"));
    actAs("reader");
    ui.clear();
    EXPECT_EQ(net::CVelquinClient::HandOverReceived(received, transfer), 2) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(read(temp.file("inbox/letter.txt")), letter);
    EXPECT_EQ(read(temp.file("inbox/data.bin")), binary);
    EXPECT_EQ(read(temp.file("inbox/readme.txt")), "not a container");
}

TEST_F(BatchTransferTest, OnlyTheRecipientsKeySetOpensWhatWasMadeForHim)
{
    const auto made = transfer.EncryptForTransfer({write("a.txt", "alpha")}, {readerKey}, temp.file("out/"));
    ASSERT_EQ(made.size(), 1u);

    actAs("other");
    EXPECT_EQ(transfer.DecryptReceived(made), 0);
    EXPECT_FALSE(std::filesystem::exists(temp.file("out/a.txt")));
    EXPECT_TRUE(std::filesystem::exists(made[0]));  // a container that did not open is kept
}

TEST_F(BatchTransferTest, EveryRecipientCanOpenTheSameContainer)
{
    const auto made = transfer.EncryptForTransfer({write("a.txt", "alpha")},
                                                  {readerKey, vectorPath("containers/other.kpub")},
                                                  temp.file("out/"));
    ASSERT_EQ(made.size(), 1u);
    std::filesystem::copy_file(made[0], temp.file("copy.klx"));

    actAs("other");
    EXPECT_EQ(transfer.DecryptReceived({temp.file("copy.klx")}), 1) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(read(temp.file("copy")), "alpha");
    actAs("reader");
    EXPECT_EQ(transfer.DecryptReceived(made), 1) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(read(temp.file("out/a.txt")), "alpha");
}

} // namespace
} // namespace mvx::test
