// morvanex-cli qr: the registration symbol and any text, as BMP or on the terminal.
#include "QrTestSupport.h"
#include "CliRunner.h"
#include "ScriptedInteraction.h"

#include "app/CMessageTable.h"
#include "app/CSettingsStore.h"
#include "app/Msg.h"
#include "barcode/RegistrationContent.h"
#include "cli/CliContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace mvx::test {
namespace {

const std::string kSenderKey = std::string(MORVANEX_TEST_DATA_DIR) + "/containers/sender.kpub";

class QrCommand : public ::testing::Test {
protected:
    int run(std::vector<std::string> args, const std::string& language = "")
    {
        const cli::CliCommand* command = nullptr;
        for (const auto& c : cli::cliCommands())
            if (std::string(c.name) == "qr")
                command = &c;
        EXPECT_NE(command, nullptr);
        cli::CliContext ctx;
        ctx.homeDir = home();
        ctx.language = language;
        ctx.interaction = &ui_;
        ctx.out = &out_;
        ctx.err = &err_;
        return command->run(ctx, args);
    }

    std::string home() const { return folder_.file("home"); }

    ScriptedInteraction ui_;
    std::ostringstream out_;
    std::ostringstream err_;
    TempFolder folder_;
};

TEST_F(QrCommand, TextAsBmpFileThatTheDecoderReads)
{
    const std::string path = folder_.file("text.bmp");
    ASSERT_EQ(run({"--text", "Any text, 123 ABC", "--bmp", path}), cli::ExitOk) << err_.str();
    EXPECT_EQ(out_.str(), path + "\n");
    const auto read = zbarRead(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "Any text, 123 ABC");
    EXPECT_TRUE(ui_.shown().empty());
}

TEST_F(QrCommand, LevelVersionAndMaskAreUsed)
{
    const std::string path = folder_.file("options.bmp");
    ASSERT_EQ(run({"--text", "OPTIONS", "--level", "h", "--version", "5", "--mask", "6", "--bmp", path}), cli::ExitOk);
    auto expected = encodeOrNull(CQREncoder::LevelH, 5, false, 6, "OPTIONS");
    ASSERT_NE(expected, nullptr);
    const std::string file = readWholeFile(path);
    const std::vector<uint8_t> bytes = QrSymbolBitmap(*expected).bmpFile();
    EXPECT_EQ(file, std::string(bytes.begin(), bytes.end()));
}

TEST_F(QrCommand, TooSmallVersionFailsUnlessLargerIsAllowed)
{
    const std::string text(100, 'x');
    EXPECT_EQ(run({"--text", text, "--version", "1"}), cli::ExitFailed);
    EXPECT_TRUE(out_.str().empty());
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "このテキストは、この誤り訂正レベルではバージョン1のQRコードに収まりません。");
    EXPECT_EQ(ui_.last().icon, MsgIcon::Stop);
    EXPECT_EQ(run({"--text", text, "--version", "1", "--allow-larger"}), cli::ExitOk);
    EXPECT_FALSE(out_.str().empty());
}

TEST_F(QrCommand, TextTooLongForAnySymbolFails)
{
    EXPECT_EQ(run({"--text", std::string(3000, 'a')}), cli::ExitFailed);
    EXPECT_TRUE(out_.str().empty());
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "このテキストは、この誤り訂正レベルではQRコードに収まりません。");
}

TEST_F(QrCommand, TerminalPictureHasTwoModulesPerCell)
{
    ASSERT_EQ(run({"--text", "TERMINAL"}), cli::ExitOk);
    auto encoder = encodeOrNull(CQREncoder::LevelM, 0, true, -1, "TERMINAL");
    ASSERT_NE(encoder, nullptr);
    const int side = encoder->moduleCount() + 8;
    std::istringstream lines(out_.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        int cells = 0;
        for (unsigned char c : line)
            cells += (c & 0xC0) != 0x80 ? 1 : 0;
        EXPECT_EQ(cells, side);
    }
    EXPECT_EQ(count, (side + 1) / 2);
}

TEST_F(QrCommand, ShiftJisOptionMakesKanjiSegments)
{
    const std::string path = folder_.file("kanji.bmp");
    ASSERT_EQ(run({"--text", "漢字", "--shift-jis", "--bmp", path}), cli::ExitOk);
    const auto read = zbarRead(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "\x8A\xBF\x8E\x9A");
    EXPECT_EQ(run({"--text", "\xF0\x9F\x98\x80", "--shift-jis"}), cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "このテキストにはShift-JISで表せない文字が含まれています。");
}

TEST_F(QrCommand, RegistrationSymbolOfTestUser)
{
    const std::string path = folder_.file("registration.bmp");
    ASSERT_EQ(run({"--key", kSenderKey, "--name", "山田 太郎", "--mail", "taro@example.jp", "--url",
                   "https://service.example.jp/", "--bmp", path}),
              cli::ExitOk)
        << err_.str();
    const CMessageTable table;
    RegistrationInputs inputs;
    inputs.leadSentence = table.text(Msg::BarcodeLeadSentence);
    inputs.userName = "山田 太郎";
    inputs.mail = "taro@example.jp";
    inputs.baseUrl = "https://service.example.jp/";
    const Registration expected = buildRegistrationFromFile(kSenderKey, inputs);
    ASSERT_EQ(expected.status, RegistrationStatus::Ok);
    const auto read = zbarRead(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, expected.content);
}

TEST_F(QrCommand, MissingKeyFileIsReported)
{
    EXPECT_EQ(run({"--key", folder_.file("none.kpub"), "--name", "a", "--mail", "b", "--url", "https://s.example/"}),
              cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "公開鍵ファイルが見つかりません。");
    EXPECT_EQ(ui_.last().icon, MsgIcon::Stop);
}

TEST_F(QrCommand, DamagedKeyFileIsReported)
{
    const std::string damaged = folder_.file("damaged.kpub");
    std::filesystem::copy_file(kSenderKey, damaged);
    std::filesystem::resize_file(damaged, 100);
    EXPECT_EQ(run({"--key", damaged, "--name", "a", "--mail", "b", "--url", "https://s.example/"}), cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().icon, MsgIcon::Stop);
    EXPECT_EQ(ui_.last().text, CMessageTable().text(Msg::KeyIsInvalid));
    EXPECT_FALSE(ui_.last().text.empty());
}

TEST_F(QrCommand, NameShiftJisCannotCarryIsReported)
{
    EXPECT_EQ(run({"--key", kSenderKey, "--name", "\xF0\x9F\x98\x80", "--mail", "b", "--url", "https://s.example/"}),
              cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "ユーザー名またはメールアドレスにShift-JISで表せない文字が含まれています。");
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(QrCommand, MessagesInEnglish)
{
    EXPECT_EQ(run({"--text", std::string(3000, 'a')}, "en"), cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "The text does not fit in a QR code symbol at this error correction level.");
}

TEST_F(QrCommand, BmpThatCannotBeCreatedIsReported)
{
    EXPECT_EQ(run({"--text", "X", "--bmp", folder_.file("missing/x.bmp")}), cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, "ファイルオープンエラー");
    EXPECT_EQ(ui_.last().caption, "Pictovane");
    EXPECT_EQ(ui_.last().icon, MsgIcon::Stop);
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(QrCommand, UsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--text", "A", "--level", "X"},
        {"--text", "A", "--version", "0"},
        {"--text", "A", "--version", "41"},
        {"--text", "A", "--mask", "8"},
        {"--text", "A", "--key", kSenderKey},
        {"--text"},
        {"--text", ""},
        {"--level", "H"},
        {"--key"},
        {"--url"},
        {"--bogus"},
    };
    for (const auto& args : bad) {
        err_.str("");
        EXPECT_EQ(run(args), cli::ExitUsage) << args.front();
        EXPECT_NE(err_.str().find("morvanex-cli qr: "), std::string::npos);
    }
    EXPECT_TRUE(out_.str().empty());
    EXPECT_TRUE(ui_.shown().empty());
}

TEST_F(QrCommand, ServiceUrlFromSettingsUnlessEnvironmentOrOptionSays)
{
    std::filesystem::create_directories(home());
    std::ofstream(home() + "/Values.dat") << "[KLX]\nServiceURL=https://settings.example.jp/\n";
    const std::vector<std::string> explicitKey = {"--key", kSenderKey, "--name", "a", "--mail", "b", "--bmp"};
    auto addressOf = [&](std::vector<std::string> args) -> std::string {
        const std::string path = folder_.file("url.bmp");
        args.push_back(path);
        if (run(args) != cli::ExitOk)
            return "failed: " + err_.str();
        const auto read = zbarRead(path);
        return read ? *read : "unreadable";
    };
    EXPECT_NE(addressOf(explicitKey).find("https://settings.example.jp/m/?pk="), std::string::npos);

    setenv("MORVANEX_SERVICE_URL", "https://env.example.jp/", 1);
    const std::string fromEnvironment = addressOf(explicitKey);
    std::vector<std::string> withOption = explicitKey;
    withOption.insert(withOption.begin(), {"--url", "https://option.example.jp/"});
    const std::string fromOption = addressOf(withOption);
    unsetenv("MORVANEX_SERVICE_URL");
    EXPECT_NE(fromEnvironment.find("https://env.example.jp/m/?pk="), std::string::npos);
    EXPECT_NE(fromOption.find("https://option.example.jp/m/?pk="), std::string::npos);
}

TEST_F(QrCommand, WithoutKeySetTheOwnSymbolIsRefused)
{
    EXPECT_EQ(run({"--bmp", folder_.file("own.bmp")}), cli::ExitFailed);
    ASSERT_EQ(ui_.shown().size(), 1u);
    EXPECT_EQ(ui_.last().text, CMessageTable().text(Msg::SettingsFileNotFound));
    EXPECT_FALSE(std::filesystem::exists(folder_.file("own.bmp")));
    // A partial override still needs the key set for the rest.
    ui_.clear();
    EXPECT_EQ(run({"--key", kSenderKey, "--name", "a"}), cli::ExitFailed);
    EXPECT_EQ(ui_.shown().size(), 1u);
}

TEST_F(QrCommand, OwnKeySetGivesKeyNameAndMail)
{
    const CliUser alice(folder_.path(), "alice");
    ASSERT_EQ(alice.init("Alice Liddell", "alice@example.org").exitCode, 0);
    const std::string path = folder_.file("alice.bmp");
    const CliResult result = alice.run({"qr", "--bmp", path});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, path + "\n");

    const CMessageTable table;
    RegistrationInputs inputs;
    inputs.leadSentence = table.text(Msg::BarcodeLeadSentence);
    inputs.userName = "Alice Liddell";
    inputs.mail = "alice@example.org";
    inputs.baseUrl = CSettingsStore::kDefaultServiceUrl;
    const Registration expected = buildRegistrationFromFile(alice.publicKey().string(), inputs);
    ASSERT_EQ(expected.status, RegistrationStatus::Ok);
    const auto read = zbarRead(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, expected.content);

    // One part given, the others from the key set.
    const CliResult renamed = alice.run({"qr", "--name", "A. L.", "--bmp", path});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    inputs.userName = "A. L.";
    const auto readRenamed = zbarRead(path);
    ASSERT_TRUE(readRenamed.has_value());
    EXPECT_EQ(*readRenamed, buildRegistrationFromFile(alice.publicKey().string(), inputs).content);
}

} // namespace
} // namespace mvx::test
