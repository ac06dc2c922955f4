#pragma once

#include "ScriptedInteraction.h"
#include "TempFolder.h"
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "keys/CKeyManager.h"
#include "keys/KeyAuthenticator.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace mvx::test {

// A user with a key set made from the separately generated vector keys:
// key root, key folder and personal information.
struct TestUser {
    std::string name;
    std::string keyRoot;
    std::string keyFolder;
    std::string userName;
    std::string mail;

    std::string publicKey() const { return keyRoot + name + ".kpub"; }
    std::string privateKey() const { return keyRoot + name + "Private.kpri"; }
};

// English messages, a scripted interaction and a temporary folder per test.
class KeysTest : public ::testing::Test {
protected:
    KeysTest() { table.FillEnglish(); }
    ~KeysTest() override { Clock::useSystem(); }

    static std::string vectorFile(const std::string& name)
    {
        return std::string(MORVANEX_TEST_DATA_DIR) + "/containers/" + name;
    }

    // Installs the vector key set vectorName ("reader", "sender", "other") as key set name.
    TestUser makeUser(const std::string& vectorName, const std::string& name, const std::string& userName)
    {
        TestUser user{name, folder.path() + name + "/", {}, userName, name + "@example.org"};
        user.keyFolder = user.keyRoot + "KeyList_" + name + "/";
        std::filesystem::create_directories(user.keyFolder);
        std::filesystem::copy_file(vectorFile(vectorName + ".kpub"), user.publicKey());
        std::filesystem::copy_file(vectorFile(vectorName + "Private.kpri"), user.privateKey());
        const std::string info = userName + "\n" + user.mail + "\n";
        writeWholeFile(user.keyFolder + "personalinfo.dat", info.data(), info.size());
        return user;
    }

    void useKeySetOf(CKeyManager& keys, const TestUser& user)
    {
        keys.findOwnKeySet(user.keyRoot, user.name + ".kpub", user.name + "Private.kpri");
    }

    KeyAuthenticator::Identity identityOf(const TestUser& user) const
    {
        return {user.publicKey(), user.privateKey(), user.userName, user.mail, user.keyFolder, "test installation"};
    }

    static std::vector<uint8_t> bytesOf(const std::string& path) { return readWholeFile(path).value_or(std::vector<uint8_t>{}); }

    TempFolder folder;
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
};

} // namespace mvx::test
