#include "WorkbenchFixture.h"

#include "keys/CKeyManager.h"
#include "workbench/KeyManagerDirectory.h"

namespace mvx::test {
namespace {

class KeyManagerDirectoryTest : public WorkbenchTest {
protected:
    static CKeyManager::UserData record(const std::string& name, const std::string& mail, const std::string& file)
    {
        CKeyManager::UserData data;
        data.displayName = name;
        data.mail = mail;
        data.fileName = file;
        return data;
    }
    KeyManagerDirectory keysDirectory;
};

TEST_F(KeyManagerDirectoryTest, AFolderListsItsAuthenticatedThenItsPlainKeysNeverOutsideTheFolder)
{
    const std::string folder = temp.file("keys/KeyList_me/group/");
    std::filesystem::create_directories(folder);
    CKeyManager::saveMemberFile(folder + "member.dat", {record("Kim", "kim@example.org", "me))kim-auth.kpub")});
    CKeyManager::saveMemberFile(folder + "pubkey_member.dat", {record("Lee", "lee@example.org", "lee.kpub"),
                                                               record("Bad", "bad@example.org", "../escape.kpub")});
    EXPECT_EQ(keysDirectory.keyFilesIn(folder),
              (std::vector<std::string>{folder + "me))kim-auth.kpub", folder + "lee.kpub", folder + "escape.kpub"}));
    const auto kim = keysDirectory.lookup(folder + "me))kim-auth.kpub");
    ASSERT_TRUE(kim.has_value());
    EXPECT_EQ(kim->userName, "Kim");
    EXPECT_EQ(keysDirectory.lookup(folder + "lee.kpub")->mail, "lee@example.org");
    EXPECT_FALSE(keysDirectory.lookup(folder + "nobody.kpub").has_value());
    EXPECT_TRUE(keysDirectory.keyFilesIn(temp.file("nowhere/")).empty());
}

} // namespace
} // namespace mvx::test
